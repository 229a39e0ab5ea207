// The test-only writers and mdapack's manifest, read back through the program's loader.
#include <gtest/gtest.h>

#include <stdexcept>

#include "graphics/img256/img256_draw.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/img256_reference.h"
#include "tools/mdawriter/mdapack.h"

namespace {

using gfxt::Bitmap;

class Mdapack : public gfxt::MediaFixture {
 protected:
  // A 3 x 2 picture and its alpha plane as binary PPM and PGM.
  void write_pictures() {
    std::string ppm = "P6\n# sprite\n3 2\n255\n";
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 255, 0, 0, 9, 9, 9};
    ppm.append(reinterpret_cast<const char*>(rgb), sizeof(rgb));
    dir.write("art/s.ppm", ppm);
    std::string pgm = "P5 3 2 255\n";
    const uint8_t a[] = {255, 0, 128, 255, 255, 0};
    pgm.append(reinterpret_cast<const char*>(a), sizeof(a));
    dir.write("art/s.pgm", pgm);
    const std::vector<uint8_t> wav = mdaw::wave_tone(500, 4);
    dir.write("art/w.wav", std::string(wav.begin(), wav.end()));
  }
  static constexpr const char* kManifest =
      "# every item kind\n"
      "image sprite from=s.ppm alpha=s.pgm box=10,20 hot=1,-2\n"
      "image block fill=5x4:#80FF20 alpha=90 box=3,4 hot=2,3\n"
      "wave ding from=w.wav\n"
      "wave beep tone=440,20\n"
      "raw hit bytes=attack 120\n"
      "command MainCommand0\n"
      "step sprite\n"
      "second ding\n"
      "step block\n"
      "  step goto 0\n"
      "command MainCommand1\n"
      "step hit\n"
      "second beep\n";
};

TEST_F(Mdapack, ManifestBuildsAFileTheLoaderReadsBack) {
  write_pictures();
  const mdaw::MdaFile file = mdaw::parse_manifest(kManifest, dir.hostPath("art"));
  write_file("out.mda", mdaw::mda_build(file));
  int32_t id = -1;
  ASSERT_EQ(mda_load_file("out.mda", &id), 0);
  const MDA_ENTRY& e = mda_table.entries[0];
  ASSERT_EQ(e.frame_count, 5);
  const Img256Frame* sprite = mda_frame_image(0, 0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ((std::vector<int>{sprite->width(), sprite->height(), sprite->box_x(), sprite->box_y(), sprite->hot_x(),
                              sprite->hot_y()}),
            (std::vector<int>{3, 2, 10, 20, 1, -2}));
  // Alpha 0 is a skip; colours come from an exact palette.
  Bitmap t = gfxt::make_bitmap(3, 2, 0);
  sprite_draw_state_reset();
  img256_draw(1, -2, sprite, t.get());
  EXPECT_EQ(t->rows[0][1], 0);
  EXPECT_EQ(t->rows[0][0], gfxt::ref::blend(0xF800, 0, 31));
  EXPECT_EQ(t->rows[0][2], gfxt::ref::blend(0x001F, 0, 16));
  EXPECT_EQ(t->rows[1][2], 0) << "alpha 0";
  const Img256Frame* block = mda_frame_image(0, 1);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->width(), 5);
  EXPECT_EQ(block->hot_y(), 3);
  uint8_t* data = nullptr;
  mda_get_frame_data(0, 2, &data);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), e.frames[2].size), dir.read("art/w.wav"));
  EXPECT_EQ(mda_frame_kind(mda_get_frame_data(0, 3, &data), e.frames[3].size), MDA_FRAME_SOUND);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(mda_get_frame_data(0, 4, &data)), e.frames[4].size), "attack 120");
  EXPECT_EQ(e.step_count[0], 3);
  EXPECT_EQ(e.step_count[1], 1);
  char name[MDA_NAME_SIZE];
  ASSERT_EQ(mda_get_step_frame_name(0, 2, 0, name), 0);
  EXPECT_STREQ(name, "goto 0");
  ASSERT_EQ(mda_get_step_sound(1, 0, 0, name), 0);
  EXPECT_STREQ(name, "beep");
}

TEST_F(Mdapack, ListPrintsFramesAndCommandsThroughTheLoader) {
  const mdaw::MdaFile file = mdaw::parse_manifest(
      "image pic fill=2x3:#FF0000 alpha=255 box=4,5 hot=1,2\n"
      "raw go bytes=goto 0\n"
      "wave w tone=100,1\n"
      "command MainCommand0\nstep pic\nsecond w\nstep go\n",
      "");
  write_file("list/small.mda", mdaw::mda_build(file));
  const std::string text = mdaw::mdapack_list("LIST\\small.MDA");
  const size_t wave = file.frames[2].data.size();
  EXPECT_EQ(text,
            "frames 3\n"
            "  0 \"pic\" image size=" + std::to_string(file.frames[0].data.size()) + " box=4,5 2x3 hot=1,2\n"
            "  1 \"go\" raw size=6\n"
            "  2 \"w\" wave size=" + std::to_string(wave) + "\n"
            "commands 1\n"
            "  0 \"MainCommand0\" steps=2\n"
            "    step 0 \"pic\" second \"w\"\n"
            "    step 1 \"go\"\n");
  EXPECT_EQ(mda_table.entries.count, 0) << "the listing releases what it loaded";
  write_file("list/bad.mda", std::vector<uint8_t>(50, 0));
  EXPECT_THROW(mdaw::mdapack_list("list/bad.mda"), std::runtime_error);
}

TEST_F(Mdapack, RefusesWhatItCannotWrite) {
  mdaw::Picture many = mdaw::picture_fill(257, 1, {0, 0, 0, 255});
  for (int i = 0; i < 257; ++i) many.pixels[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 1, 255};
  EXPECT_THROW(mdaw::img256_encode(many, {}), std::runtime_error);
  many.pixels[256] = many.pixels[0];
  EXPECT_NO_THROW(mdaw::img256_encode(many, {})) << "256 colours fit";
  many.pixels[256] = {1, 1, 200, 0};
  EXPECT_NO_THROW(mdaw::img256_encode(many, {})) << "a clear pixel needs no palette entry";

  const char* bad[] = {"image x fill=2x2 alpha=9", "wave x", "bogus x", "image x box=1,1", "step", "raw x"};
  for (const char* line : bad) EXPECT_THROW(mdaw::parse_manifest(line, ""), std::runtime_error) << line;
  try {
    mdaw::parse_manifest("command A\nimage y fill=1x1:#00000\n", "");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos);
  }
}

TEST_F(Mdapack, EncoderWritesSkipsRunsRowEndsAndALongRunInPieces) {
  mdaw::Picture p = mdaw::picture_fill(5, 2, {7, 7, 7, 0});
  p.at(2, 0) = {1, 2, 3, 40};
  p.at(3, 0) = {1, 2, 3, 50};
  const std::vector<uint8_t> bytes = mdaw::img256_encode(p, {});
  const std::vector<uint8_t> stream(bytes.begin() + 808, bytes.end());
  EXPECT_EQ(stream, (std::vector<uint8_t>{254, 2, 0, 255, 2, 0, 0, 40, 0, 50, 253, 253, 0}));
  EXPECT_EQ(bytes[32], 12) << "the stream length leaves out the terminating 0";

  const mdaw::Picture wide = mdaw::picture_fill(65535, 1, {5, 5, 5, 255});
  gfxt::Frame frame(mdaw::img256_encode(wide, {}));
  EXPECT_TRUE(frame.open_ok);
}

}  // namespace

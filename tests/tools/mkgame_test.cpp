// mkgame's file set: every art file the front-end screens open, under each spelling they use,
// loads through the media loader with the commands the screens run; the start-up set is all
// there; the baseline JPEG writer's pictures decode close to their source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "graphics/img256/img256.h"
#include "graphics/mda/mda.h"
#include "tests/support/headless_fixture.h"
#include "tools/jpegbaseline/jpeg_baseline.h"
#include "tools/mdawriter/mdapack.h"
#include "tools/mkgame/mkgame.h"
#ifdef VELDRA_HAVE_JPEGREF
#include "tools/jpegwriter/jpegref.h"
#endif

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::vector<int> range(int from, int to) {
  std::vector<int> out;
  for (int n = from; n <= to; ++n) out.push_back(n);
  return out;
}

// The whole folder, made once.
const std::vector<mkgame::GameFile>& files() {
  static const std::vector<mkgame::GameFile> all = mkgame::gameFiles(mkgame::defaultStartupDir());
  return all;
}

const mkgame::GameFile* find(const std::string& path) {
  for (const mkgame::GameFile& f : files())
    if (lower(f.path) == lower(path)) return &f;
  return nullptr;
}

class MkGame : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mkgame::writeFiles(dir.path(), files());
  }
};

TEST_F(MkGame, ScreensFindTheirCommandsUnderEverySpelling) {
  std::vector<int> npc = {0, 3, 7, 31};
  const struct {
    const char* path;
    std::vector<int> commands;
  } cases[] = {
      {"system\\Button.mda", range(0, 9)},
      {"system\\button.mda", range(0, 9)},
      {"system\\c1meu008.MDA", range(0, 6)},
      {"system\\c1meu005b.MDA", range(0, 8)},
      {"system\\MapButton.MDA", {0, 1, 11}},
      {"system\\mapbutton.mda", {0, 1, 11}},
      {"system\\c1meu005c.MDA", range(0, 14)},
      {"system\\c1meu010.MDA", {0, 5, 6, 14, 16, 17, 18, 19, 20, 21, 22}},
      {"system\\c1meu010.mda", {0, 5, 6, 14, 16, 17, 18, 19, 20, 21, 22}},
      {"system\\c1meu011.MDA", range(0, 18)},
      {"system\\c1meu012.MDA", {0, 1, 2, 3, 4, 5, 6, 7, 8, 30, 31}},
      {"system\\Leader.mda", range(0, 15)},
      {"system\\Head.MDA", range(0, 15)},
      {"system\\head.mda", range(0, 15)},
      {"NPC\\NPC000a.MDA", npc},
      {"NPC\\NPC007a.MDA", npc},
  };
  for (const auto& c : cases) {
    std::string listing;
    try {
      listing = mdaw::mdapack_list(c.path);
    } catch (const std::exception& e) {
      ADD_FAILURE() << c.path << ": " << e.what();
      continue;
    }
    for (int n : c.commands)
      EXPECT_NE(listing.find("\"MainCommand" + std::to_string(n) + "\" steps="), std::string::npos)
          << c.path << " lacks MainCommand" << n;
  }
  // The opening animation and the turns have steps to play.
  EXPECT_NE(mdaw::mdapack_list("system\\button.mda").find("\"MainCommand9\" steps=8"), std::string::npos);
  EXPECT_NE(mdaw::mdapack_list("system\\c1meu012.MDA").find("\"MainCommand31\" steps=6"), std::string::npos);
}

TEST_F(MkGame, OneFilePerNameAndTheStartUpSetWhole) {
  std::set<std::string> seen;
  for (const mkgame::GameFile& f : files()) EXPECT_TRUE(seen.insert(lower(f.path)).second) << "twice: " << f.path;
  for (const mkgame::GameFile& f : mkgame::startupFiles(mkgame::defaultStartupDir()))
    EXPECT_NE(find(f.path), nullptr) << f.path;
  for (const char* path : {"system/MOUSE0.ani", "system/MOUSE12.ani", "download/role7.txt", "download/merit0.txt"})
    EXPECT_NE(find(path), nullptr) << path;
  // The menus' music, the title film and the sample scene's music (the game login plays
  // MUSIC\MUS001.MP3).
  for (const char* path : {"music/menu02.mp3", "music/menu01.MP3", "system/title.avi", "MUSIC\\MUS001.MP3"}) {
    std::string folded = path;
    std::replace(folded.begin(), folded.end(), '\\', '/');
    const mkgame::GameFile* riff = find(folded);
    ASSERT_NE(riff, nullptr) << path;
    EXPECT_EQ(std::string(riff->bytes.begin(), riff->bytes.begin() + 4), "RIFF") << path;
    EXPECT_EQ(std::string(riff->bytes.begin() + 8, riff->bytes.begin() + 12),
              lower(path).ends_with(".avi") ? "AVI " : "WAVE")
        << path;
  }
}

// The title reads the menu file's first seven frames by number: seven pictures, apart.
TEST_F(MkGame, TitleDecorationsAreTheFirstSevenFrames) {
  std::vector<IMG256_RECT> boxes;
  for (int i = 0; i < 7; ++i) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(mda_read_frame_sized("SYSTEM\\c1meu005b.MDA", i, &data, &size), 0) << i;
    Img256Frame frame;
    EXPECT_EQ(img256_open(data, size, &frame), 0) << i;
    IMG256_RECT r;
    img256_get_rect(&frame, &r);
    for (const IMG256_RECT& b : boxes) EXPECT_TRUE(r.left >= b.right || r.right <= b.left) << i;
    boxes.push_back(r);
    mda_frame_buffer_free(&data);
  }
}

TEST(MkGameMerge, FrontEndCommandsReplaceAndTheOthersStay) {
  mdaw::MdaFile a, b;
  a.frame("f0", {1}).frame("f1", {2});
  a.command("MainCommand0").step("f0").command("MainCommand1").step("f1").step("f0");
  b.frame("mk0", {3});
  b.command("maincommand1").step("mk0");
  const mdaw::MdaFile m = mkgame::mergeMedia(a, b);
  ASSERT_EQ(m.frames.size(), 3u);
  std::vector<std::string> script;
  for (const mdaw::ScriptRecord& r : m.script) script.push_back(std::to_string(r.type) + r.text);
  EXPECT_EQ(script, (std::vector<std::string>{"1MainCommand0", "2f0", "1maincommand1", "2mk0"}));
  EXPECT_THROW(mkgame::mergeMedia(a, a), std::runtime_error);
}

#ifdef VELDRA_HAVE_JPEGREF
TEST(JpegBaseline, DecodesCloseToItsSource) {
  // An odd size (edge blocks padded), flat areas, a gradient and hard edges.
  const int w = 37, h = 21;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(x < 18 ? 220 : 30);
      p[1] = static_cast<uint8_t>(y * 12);
      p[2] = static_cast<uint8_t>((x + y) % 7 == 0 ? 255 : 60);
    }
  const std::vector<uint8_t> jpeg = jpegbase::encode_rgb(w, h, rgb, 95);
  ASSERT_GE(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
  jpegref::DecodeOpts o;
  o.out = jpegref::DecodeOpts::Rgb;
  const jpegref::Image img = jpegref::decode(jpeg, o);
  ASSERT_EQ(img.w, w);
  ASSERT_EQ(img.h, h);
  ASSERT_EQ(img.ch, 3);
  double total = 0;
  for (size_t i = 0; i < rgb.size(); ++i) total += std::abs(int(rgb[i]) - int(img.px[i]));
  EXPECT_LT(total / rgb.size(), 6.0);
  // A flat picture comes back flat.
  const std::vector<uint8_t> grey(8 * 8 * 3, 128);
  const jpegref::Image flat = jpegref::decode(jpegbase::encode_rgb(8, 8, grey), o);
  for (uint8_t v : flat.px) EXPECT_NEAR(v, 128, 1);
  EXPECT_THROW(jpegbase::encode_rgb(0, 8, {}), std::invalid_argument);
  EXPECT_THROW(jpegbase::encode_rgb(8, 8, grey.size() > 3 ? std::vector<uint8_t>(5) : grey), std::invalid_argument);
}

TEST(MkGamePictures, BackgroundsAre800By600) {
  for (const char* path : {"system/c1meu008.jpg", "system/c1meu005c.JPG", "system/c1meu011.JPG", "system/c1meu012.JPG"}) {
    const mkgame::GameFile* f = find(path);
    ASSERT_NE(f, nullptr) << path;
    const jpegref::Image img = jpegref::decode(f->bytes);
    EXPECT_EQ(img.w, 800) << path;
    EXPECT_EQ(img.h, 600) << path;
  }
}
#endif

}  // namespace

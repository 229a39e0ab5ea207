// A small screen composed from mdapack-made media, frame by frame, against the per-pixel rule:
// a looping animation drawn twice (occlusion and a see-through mask on), two buttons and a map
// effect. With VELDRA_TEST_DUMP=<folder> each frame is written there as a PPM.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "graphics/bitmap/screen_buffers.h"
#include "graphics/primitives/gfx16_boxes.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/img256_reference.h"
#include "tests/support/ppm_dump.h"
#include "tools/mdawriter/mdapack.h"

namespace {

class Img256DrawScene : public gfxt::MediaFixture {
 protected:
  void SetUp() override {
    MediaFixture::SetUp();
    ASSERT_EQ(screen_buffers_create(), 0);
  }
  void TearDown() override {
    screen_buffers_free();
    MediaFixture::TearDown();
  }

  // A round sprite with a soft edge, in a colour that shifts with the frame number.
  void write_sprite(const std::string& name, int w, int h, int tint) {
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    std::string pgm = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
        const double d = dx * dx + dy * dy;
        ppm += static_cast<char>(80 + tint * 50);
        ppm += static_cast<char>(40 + 24 * (y / 8));
        ppm += static_cast<char>(200 - 16 * (x / 8));
        pgm += static_cast<char>(d >= 1 ? 0 : d > 0.7 ? 120 : 255);
      }
    }
    dir.write("art/" + name + ".ppm", ppm);
    dir.write("art/" + name + ".pgm", pgm);
  }

  int32_t pack(const std::string& rel, const std::string& manifest) {
    write_file(rel, mdaw::mda_build(mdaw::parse_manifest(manifest, dir.hostPath("art"))));
    int32_t id = -1;
    EXPECT_EQ(mda_load_file(rel.c_str(), &id), 0);
    return id;
  }

  const uint8_t* frame_bytes(int32_t id, const char* name) {
    const int32_t index = mda_find_by_id(id);
    uint8_t* data = nullptr;
    return mda_get_frame_data(index, mda_find_frame(index, name), &data);
  }

  static void dump(const BITMAP16* b, int frame) {
    char name[64];
    std::snprintf(name, sizeof(name), "sprite_scene_%02d.ppm", frame);
    veldra_test::dumpPpm(name, b);
  }
};

TEST_F(Img256DrawScene, ComposedFramesMatchTheRule) {
  for (int i = 0; i < 3; ++i) write_sprite("walk" + std::to_string(i), 48, 64, i);
  write_sprite("button", 90, 28, 2);
  write_sprite("spark", 24, 24, 1);
  const int32_t walk = pack("char/walk.mda",
                            "image w0 from=walk0.ppm alpha=walk0.pgm box=0,0 hot=24,60\n"
                            "image w1 from=walk1.ppm alpha=walk1.pgm box=0,0 hot=24,60\n"
                            "image w2 from=walk2.ppm alpha=walk2.pgm box=0,0 hot=24,60\n"
                            "wave step tone=200,10\n"
                            "command MainCommand0\nstep w0\nsecond step\nstep w1\nstep w2\n");
  const int32_t buttons = pack("system/Button.mda",
                               "image up from=button.ppm alpha=button.pgm box=600,500 hot=0,0\n"
                               "image down fill=90x28:#202060 alpha=220 box=600,540 hot=0,0\n"
                               "command MainCommand0\nstep up\ncommand MainCommand1\nstep down\n");
  const int32_t spark = pack("MDA/point.mda",
                             "image s0 from=spark.ppm alpha=spark.pgm box=0,0 hot=12,12\n"
                             "image s1 fill=8x8:#402000 alpha=255 box=0,0 hot=4,4\n"
                             "command MainCommand0\nstep s0\nstep s1\nstep s0\n");
  MDA_BUTTON up{}, down{};
  ASSERT_EQ(mda_init_button(buttons, 0, &up, "up", 1), 0);
  ASSERT_EQ(mda_init_button(buttons, 1, &down, "down", 2), 0);
  EXPECT_EQ((std::vector<int32_t>{up.left, up.top, up.right, up.bottom}), (std::vector<int32_t>{600, 500, 690, 528}));

  scene_view_origin = {3000, 1000};
  map_effect_add(spark, 0, 3330, 1290, 3);
  std::array<uint8_t, 4 * 40> bits{};
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = (i / 4) % 2 ? 0xF0 : 0x0F;
  const SCENE_MASK mask = {32, 40, 3210, 1250, bits.data()};
  const int32_t order[] = {0};
  scene_mask_list = {1, order, &mask, 1};

  for (int frame = 0; frame < 6; ++frame) {
    sprite_draw_state_reset();
    gfx16_draw_panel(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, screen_back);
    gfx16_draw_dashed_rect(180, 220, 260, 320, gfx16_colours[GFX16_YELLOW], gfx16_colours[GFX16_BLUE], screen_back);
    gfxt::Bitmap want = gfxt::copy_of(screen_back);
    sprite_draw_state.occlusion_test = 1;
    sprite_draw_state.occlusion_write = 1;
    sprite_draw_state.mask_test = 1;
    sprite_draw_state.mask_see_through = 1;

    // The program's way: the interpreter, one step a frame, and the effect list.
    EXPECT_EQ(mda_run_command(walk, "MainCommand0", 220, 300, screen_back, 0x12, 0, 0, 0), frame % 3 == 0 ? 2 : frame % 3 == 1 ? 1 : 3);
    const int step = frame % 3;
    mda_run_command(walk, "MainCommand0", 236, 306, screen_back, 0x80, 0, 0, step);
    sprite_draw_state = {};
    mda_run_command(buttons, "MainCommand0", up.left, up.top, screen_back, 0, 0, 0, 0);
    mda_run_command(buttons, "MainCommand1", down.left, down.top, screen_back, 0, 0, 0, 0);
    mda_draw_effects();
    std::vector<uint8_t> map_got(&sprite_occlusion_map[0][0], &sprite_occlusion_map[0][0] + sizeof(sprite_occlusion_map));

    // The rule, pixel by pixel, from the frames' bytes.
    sprite_draw_state_reset();
    sprite_draw_state.occlusion_test = 1;
    sprite_draw_state.occlusion_write = 1;
    sprite_draw_state.mask_test = 1;
    sprite_draw_state.mask_see_through = 1;
    const std::string w = "w" + std::to_string(step);
    gfxt::ref::draw(220, 300, frame_bytes(walk, w.c_str()), want.get());
    gfxt::ref::draw(236, 306, frame_bytes(walk, w.c_str()), want.get());
    std::vector<uint8_t> map_want(&sprite_occlusion_map[0][0], &sprite_occlusion_map[0][0] + sizeof(sprite_occlusion_map));
    sprite_draw_state = {};
    gfxt::ref::draw(up.left, up.top, frame_bytes(buttons, "up"), want.get());
    gfxt::ref::draw(down.left, down.top, frame_bytes(buttons, "down"), want.get());
    if (frame < 3) {
      const char* s = frame == 1 ? "s1" : "s0";
      gfxt::ref::draw_additive(330, 290, frame_bytes(spark, s), want.get(), gfx16_add_rgb);
    }
    dump(screen_back, frame);
    ASSERT_EQ(gfxt::difference(screen_back, want.get()), "") << "frame " << frame;
    ASSERT_TRUE(map_got == map_want) << "occlusion map, frame " << frame;
  }
  EXPECT_EQ(sounds().size(), 4u) << "the walk's sound with step 0, for both walkers, twice";
  EXPECT_EQ(map_effect_list[0], nullptr) << "the effect finished";
  EXPECT_TRUE(messages().empty());
}

}  // namespace

// Shared pieces of the sprite, media and interpreter tests: owned bitmaps, a headless fixture
// that records the media code's message boxes and sounds, and frame builders.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/reset/module_resets.h"
#include "engine/timer/timer.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/img256.h"
#include "graphics/img256/sprite_slot.h"
#include "graphics/img256/sprite_state.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/primitives/gfx_block.h"
#include "tests/graphics/owned_bitmap.h"
#include "tests/support/headless_fixture.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"
#include "graphics/frame_cmd/map_effects.h"
#include "graphics/img256/scene_masks.h"
#include "graphics/img256/scene_view_origin.h"

namespace gfxt {

inline Bitmap copy_of(const BITMAP16* src) {
  Bitmap b(bitmap16_create(static_cast<int32_t>(src->width), static_cast<int32_t>(src->height)));
  for (uint32_t y = 0; y < src->height; ++y) std::copy(src->rows[y], src->rows[y] + src->width, b->rows[y]);
  return b;
}

// The first differing pixel as text, or "" when the bitmaps are equal.
inline std::string difference(const BITMAP16* a, const BITMAP16* b) {
  if (a->width != b->width || a->height != b->height) return "sizes differ";
  for (uint32_t y = 0; y < a->height; ++y) {
    for (uint32_t x = 0; x < a->width; ++x) {
      if (a->rows[y][x] != b->rows[y][x]) {
        return "at " + std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(a->rows[y][x]) +
               " vs " + std::to_string(b->rows[y][x]);
      }
    }
  }
  return "";
}

// A frame's bytes with the view made over them (the bytes stay owned by the holder).
struct Frame {
  std::vector<uint8_t> bytes;
  Img256Frame view;
  explicit Frame(std::vector<uint8_t> b) : bytes(std::move(b)) { open_ok = img256_open(bytes.data(), bytes.size(), &view) == 0; }
  Frame(const Frame&) = delete;
  bool open_ok = false;
  const Img256Frame* get() const { return &view; }
};

// A single-colour frame of w x h at one alpha.
inline std::vector<uint8_t> solid_frame(int w, int h, mdaw::Rgba colour, int16_t hot_x = 0, int16_t hot_y = 0,
                                        uint16_t box_x = 0, uint16_t box_y = 0) {
  mdaw::FrameGeometry g;
  g.hot_x = hot_x;
  g.hot_y = hot_y;
  g.box_x = box_x;
  g.box_y = box_y;
  return mdaw::img256_encode(mdaw::picture_fill(w, h, colour), g);
}

// The headless fixture (every module at its start) in the 565 format; message boxes and sounds
// recorded.
class MediaFixture : public veldra_test::HeadlessTest {
 protected:
  struct Sound {
    std::vector<uint8_t> bytes;
    int32_t volume;
  };
  static std::vector<std::string>& messages() {
    static std::vector<std::string> m;
    return m;
  }
  static std::vector<Sound>& sounds() {
    static std::vector<Sound> s;
    return s;
  }
  static void record_message(const char* text) { messages().push_back(text); }
  static int32_t record_sound(const uint8_t* data, int32_t size, int32_t volume) {
    sounds().push_back({std::vector<uint8_t>(data, data + size), volume});
    return 0;
  }

  void SetUp() override {
    HeadlessTest::SetUp();
    use_565();
    messages().clear();
    sounds().clear();
    mda_set_message_box(record_message);
    mda_set_sound_player(record_sound);
  }
  void TearDown() override {
    mda_set_message_box(nullptr);
    mda_set_sound_player(nullptr);
    HeadlessTest::TearDown();
  }
  // Between the cases of one test: every module back at its start (the recording hooks stay).
  static void reset_all() {
    module_resets_run_all();
    use_565();
  }
  static void use_565() {
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    gfx16_init_colours();
  }

  // Writes a media file into the game folder under rel (with '/').
  void write_file(const std::string& rel, const std::vector<uint8_t>& bytes) {
    dir.write(rel, std::string(bytes.begin(), bytes.end()));
  }
  int32_t load(const std::string& rel, const mdaw::MdaFile& file) {
    write_file(rel, mdaw::mda_build(file));
    int32_t id = -1;
    EXPECT_EQ(mda_load_file(rel.c_str(), &id), 0) << rel;
    return id;
  }
};

}  // namespace gfxt

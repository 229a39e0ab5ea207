// The emote renderer's tests: SYSTEM and WINFONT over the fake rasteriser, the 565 screen, the
// emote and menu media written into the game folder, and the media code's boxes recorded.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/emote/emote_draw.h"
#include "engine/emote/emote_manager.h"
#include "engine/emote/emote_surface.h"
#include "engine/emote/emote_text.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "plat/canvas24.h"
#include "plat/headless.h"
#include "tests/support/text_fixture.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace emote_test {

// The emote media: 32 x 32 frames f0..f3 in four reds; MainCommand0 shows f0, MainCommand1 the
// four in turn, MainCommand2 f1 and f2.
inline mdaw::MdaFile emote_media() {
  mdaw::MdaFile f;
  for (int i = 0; i < 4; ++i) {
    f.frame("f" + std::to_string(i),
            mdaw::img256_encode(mdaw::picture_fill(32, 32, {static_cast<uint8_t>(60 * (i + 1)), 0, 0, 255}), {}));
  }
  f.command("MainCommand0").step("f0");
  f.command("MainCommand1").step("f0").step("f1").step("f2").step("f3");
  f.command("MainCommand2").step("f1").step("f2");
  return f;
}

// Menu colours by command: 4 x 4 frames (9: 10 x 100, for the pixel buffer's height).
constexpr mdaw::Rgba kMenuColour[] = {{200, 0, 0, 255}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 200, 0, 255},
                                      {0, 0, 0, 0},     {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 200, 255}};

inline mdaw::MdaFile menu_media() {
  mdaw::MdaFile f;
  for (int i : {0, 3, 7}) f.frame("m" + std::to_string(i), mdaw::img256_encode(mdaw::picture_fill(4, 4, kMenuColour[i]), {}));
  f.frame("m1", mdaw::img256_encode(mdaw::picture_fill(2, 2, {9, 9, 9, 255}), {}));
  f.frame("tall", mdaw::img256_encode(mdaw::picture_fill(10, 100, {50, 60, 70, 255}), {}));
  f.command("MainCommand0").step("m0");
  f.command("MainCommand1").step("m1");
  f.command("MainCommand3").step("m3");
  f.command("MainCommand7").step("m7");
  f.command("MainCommand9").step("tall");
  // Pure black, a transparent pixel and a dark grey.
  mdaw::Picture p = mdaw::picture_fill(3, 1, {0, 0, 0, 255});
  p.at(1, 0) = {0, 0, 0, 0};
  p.at(2, 0) = {9, 9, 9, 255};
  f.frame("keyed", mdaw::img256_encode(p, {}));
  f.command("MainCommand2").step("keyed");
  return f;
}

class EmoteFixture : public veldra_test::TextTest {
 protected:
  static std::vector<std::string>& boxes() {
    static std::vector<std::string> b;
    return b;
  }
  static void record_box(const char* text) { boxes().push_back(text); }

  void SetUp() override {
    TextTest::SetUp();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    gfx16_init_colours();
    boxes().clear();
    mda_set_message_box(record_box);
    write_media("system/Phiz.MDA", emote_media());
    write_media("system/c1meu030.MDA", menu_media());
  }
  void TearDown() override {
    emote.emote_text_release();
    mda_set_message_box(nullptr);
    TextTest::TearDown();
  }

  void write_media(const std::string& rel, const mdaw::MdaFile& f) {
    const std::vector<uint8_t> bytes = mdaw::mda_build(f);
    dir.write(rel, std::string(bytes.begin(), bytes.end()));
  }
  void init() { ASSERT_EQ(emote.emote_text_init("system\\Phiz.MDA"), 0); }
  // Time passes and the message pump notes it, as each frame's pump does.
  void pass(uint32_t ms) {
    hp().fakeClock().advance(ms);
    sys_pump_messages();
  }
  static EMOTE_TEXT_MANAGER& mgr() { return *emote_text_manager(); }

  // Pixels of the bitmap that are not 0.
  static int inked(const BITMAP16* b) {
    int n = 0;
    for (uint32_t y = 0; y < b->height; ++y) {
      for (uint32_t x = 0; x < b->width; ++x) n += b->rows[y][x] != 0;
    }
    return n;
  }

  IEmoteText emote;
};

struct OwnedBitmap {
  BITMAP16* b;
  OwnedBitmap(int32_t w, int32_t h) : b(bitmap16_create(w, h)) {}
  ~OwnedBitmap() { bitmap16_free(&b); }
  OwnedBitmap(const OwnedBitmap&) = delete;
  OwnedBitmap& operator=(const OwnedBitmap&) = delete;
  BITMAP16* get() const { return b; }
  BITMAP16* operator->() const { return b; }
};

}  // namespace emote_test

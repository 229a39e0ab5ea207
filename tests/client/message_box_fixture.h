// Fixture of the message box tests: a main window on the engine's window procedure, DRAW with
// its screen bitmaps and present, WINFONT over the fake rasteriser, every other module at its
// start. Every presented frame is seen by a hook.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/ui/message_box.h"
#include "client/window/window_manager.h"
#include "engine/display/display.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "engine/input/input.h"
#include "engine/input/input_state.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/winmsg.h"
#include "tests/support/text_fixture.h"

namespace box_test {

// What one present showed.
struct PresentedFrame {
  uint64_t frame;  // frame_counter() at the present
  uint8_t event_code, key_code;
};

class BoxTest : public veldra_test::TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    plat::WindowDesc desc;
    desc.titleCp936 = "box";
    desc.client = {800, 600};
    desc.proc = engine_window_proc;
    window = plat::get().windows().create(desc);
    engine_state().window = window;
    sys_set_screen_size(800, 600);
    sys_set_display_mode(1);
    draw_module_init();
    winfont_module_init();  // colours in the screen's format
    self() = this;
    real_present_ = draw_present_slot;
    draw_present_slot = &BoxTest::presentHook;
  }

  void TearDown() override {
    self() = nullptr;
    if (screen_back) draw_module_free();
    screen_buffers_free();
    display_release();
    TextTest::TearDown();
  }

  // A recognisable picture on the back bitmap.
  void paintPattern() {
    for (uint32_t y = 0; y < screen_back->height; ++y)
      for (uint32_t x = 0; x < screen_back->width; ++x) screen_back->rows[y][x] = static_cast<uint16_t>(x * 7 + y * 13);
  }
  static uint16_t patternAt(int x, int y) { return static_cast<uint16_t>(x * 7 + y * 13); }

  // Schedules a mouse message or a key press at a fake time (ms after the clock's start).
  void scheduleMessage(uint32_t atMs, uint32_t message, uint32_t wParam, int32_t lParam) {
    plat::ScriptEvent e;
    e.atMs = atMs;
    e.message = message;
    e.wParam = wParam;
    e.lParam = lParam;
    hp().schedule(e);
  }

  uint32_t elapsedMs() { return hp().clock().ms() - hp().options().clockStart; }

  std::vector<PresentedFrame> presented;
  std::function<void()> onPresent;  // runs at each present, before the frame is shown
  plat::WindowId window = plat::kNoWindow;

 private:
  static BoxTest*& self() {
    static BoxTest* s = nullptr;
    return s;
  }
  static int32_t presentHook(BITMAP16* bm) {
    BoxTest* t = self();
    if (!t) return 0;
    t->presented.push_back(PresentedFrame{frame_counter(), frame_input.event_code, frame_input.key_code});
    if (t->onPresent) t->onPresent();
    return t->real_present_ ? t->real_present_(bm) : 0;
  }
  DrawPresentFn real_present_ = nullptr;
};

}  // namespace box_test

// Placeholder tasks for the screens not built yet: each shows its row's name and answers Enter
// with 0, Backspace with -2 and Esc with -1. Each screen replaces its row's placeholder.
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/record_capture.h"
#include "client/game/task_table.h"
#include "client/window/window_manager.h"
#include "engine/draw/draw.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"

namespace {

constexpr uint8_t kEnter = 13, kBackspace = 15, kEsc = 27;

int32_t placeholder_run(int row) {
  const char* name = task_table[row].name;
  sys_log_printf(1, "placeholder task %s", name);
  for (;;) {
    frame_step();
    if (screen_back) {
      if (plat::environment().testPattern) {
        draw_test_pattern(screen_back);
      } else {
        bitmap16_clear_pixels(screen_back);
      }
      font_draw_text(40, 40, name, 1, screen_back);
      font_draw_text(40, 70, "Enter: 0   Backspace: -2   Esc: -1", 1, screen_back);
      // As every screen loop: the in-game windows (the pop-ups among them) over the screen.
      window_drag_update();
      window_lists_run(0);
      window_lists_run(1);
    }
    record_capture_frame();
    if (draw_present_slot && screen_back) draw_present_slot(screen_back);
    switch (frame_input.key_code) {
      case kEnter:
        return 0;
      case kBackspace:
        return -2;
      case kEsc:
        return -1;
      default:
        break;
    }
  }
}

}  // namespace

int32_t task_show_title_placeholder() { return placeholder_run(1); }
int32_t task_select_mainfunction_placeholder() { return placeholder_run(2); }
int32_t task_system_broadcast_placeholder() { return placeholder_run(3); }

int32_t task_game_login_placeholder() { return placeholder_run(9); }

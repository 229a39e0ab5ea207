#include "client/front/front_buttons.h"

#include "client/game/record_capture.h"
#include "client/window/window_manager.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/img256.h"
#include "graphics/mda/mda.h"
#include "plat/platform.h"

namespace {

// Far outside every bitmap: the run picks its frame and draws nothing.
constexpr int32_t kOffScreen = -9999;

}  // namespace

std::string front_command_name(int32_t n) { return "MainCommand" + std::to_string(n); }

int front_command_box(int32_t media, const char* command, BITMAP16* scratch, FRONT_BOX* out) {
  if (!out) return -1;
  if (mda_run_command(media, command, kOffScreen, kOffScreen, scratch, FRONT_FIRST, 0, 0, 0) == 0) return -1;
  const int32_t index = mda_find_by_id(media);
  const Img256Frame* frame = index >= 0 ? mda_last_drawn_frame(index) : nullptr;
  if (!frame) return -1;
  IMG256_RECT r;
  img256_get_rect(frame, &r);
  *out = {r.left, r.top, r.right, r.bottom, r.left + frame->hot_x(), r.top + frame->hot_y(), FRONT_IDLE, false};
  return 0;
}

int32_t front_command_steps(int32_t media, const char* command) {
  const int32_t index = mda_find_by_id(media);
  if (index < 0) return 0;
  const int32_t c = mda_find_command(command, index);
  const MDA_ENTRY& e = mda_table.entries[index];
  if (c < 0 || c >= e.command_count) return 0;
  return e.step_count[c];
}

void front_restart_command(int32_t media, const char* command) {
  const int32_t index = mda_find_by_id(media);
  if (index < 0) return;
  const int32_t c = mda_find_command(command, index);
  MDA_ENTRY& e = mda_table.entries[index];
  if (c >= 0 && c < e.command_count) e.current_step[c] = 0;
}

void front_restart_steps(int32_t media) {
  const int32_t index = mda_find_by_id(media);
  if (index < 0) return;
  MDA_ENTRY& e = mda_table.entries[index];
  for (int32_t c = 0; c < e.command_count; ++c) e.current_step[c] = 0;
}

int32_t front_hit_test(FRONT_BOX* boxes, int32_t count, int32_t x, int32_t y, uint8_t event) {
  int32_t hit = -1;
  for (int32_t i = 0; i < count; ++i) {
    FRONT_BOX& b = boxes[i];
    const bool inside = !b.off && x >= b.left && x < b.right && y >= b.top && y < b.bottom;
    b.state = !inside ? FRONT_IDLE : event == FRONT_MOUSE_PRESS ? FRONT_PRESSED : FRONT_HOVER;
    if (inside) hit = i;
  }
  return hit;
}

uint32_t front_blink(uint32_t* next, uint32_t now) {
  // Signed distance, so that a clock that wrapped still blinks.
  if (static_cast<int32_t>(now - *next) >= 0) {
    *next = now + FRONT_BLINK_MS;
    return FRONT_BLINK;
  }
  return FRONT_STILL;
}

void front_main_button_draw(int32_t button_media, const FRONT_MAIN_BUTTON& button, int32_t own_media,
                            const char* own_command, const FRONT_BOX& box, uint32_t blink, BITMAP16* target) {
  switch (box.state) {
    case FRONT_IDLE:
      mda_run_command(own_media, own_command, box.x, box.y, target, FRONT_BLINK, 0, 0, 0);
      mda_run_command(button_media, button.idle_marker, button.idle_x, button.idle_y, target, blink, 0, 0, 0);
      break;
    case FRONT_HOVER:
      mda_run_command(button_media, button.hover_caption, button.caption_x, button.caption_y, target, blink, 0, 0, 0);
      mda_run_command(button_media, button.hover_marker, button.hover_x, button.hover_y, target, blink, 0, 0, 0);
      mda_run_command(own_media, own_command, box.x, box.y, target, blink, 0, 0, 0);
      break;
    default:
      mda_run_command(button_media, button.press_caption, button.caption_x, button.caption_y, target, FRONT_ONCE, 0, 0,
                      0);
      mda_run_command(button_media, button.hover_marker, button.hover_x, button.hover_y, target, blink, 0, 0, 0);
      mda_run_command(own_media, own_command, box.x, box.y, target, blink, 0, 0, 0);
      break;
  }
}

void front_copy_screen(BITMAP16* destination, BITMAP16* source) {
  if (!destination || !source) return;
  gfx16_copy_rect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, destination, source);
}

bool front_minimised() {
  const plat::WindowId window = sys_main_window();
  return window != plat::kNoWindow && plat::get().windows().isMinimised(window);
}

void front_present() {
  record_capture_frame();
  if (draw_present_slot && screen_back) draw_present_slot(screen_back);
}

void front_windows_present() {
  window_drag_update();
  window_lists_run(0);
  window_lists_run(1);
  front_present();
}

#include "client/front/front_buttons.h"

#include "engine/engine_main/engine_main.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda.h"
#include "plat/platform.h"

namespace {

// Anchors of the main buttons' markers and captions; the second button is 49 pixels lower.
constexpr FRONT_POINT kIdleMarker{752, 449};
constexpr FRONT_POINT kCaption{609, 464};
constexpr FRONT_POINT kHoverMarker{741, 438};
constexpr int32_t kSecondButtonDy = 49;

void run(int32_t handle, const char* command, FRONT_POINT at, uint32_t flags, BITMAP16* target) {
  mda_run_command(handle, command, at.x, at.y, target, flags, 0, 0, 0);
}

}  // namespace

bool front_command_frame(int32_t handle, const char* command, FRONT_BOX* box, FRONT_POINT* point) {
  if (mda_run_command(handle, command, 0, 0, screen_work, MDA_FIRST_STEP, 0, 0, 0) == 0) return false;
  const int32_t index = mda_find_by_id(handle);
  const Img256Frame* frame = index >= 0 ? mda_last_drawn_frame(index) : nullptr;
  if (!frame) return false;
  IMG256_RECT r;
  img256_get_rect(frame, &r);
  if (box) *box = {r.left, r.top, r.right, r.bottom, 0};
  if (point) *point = {r.left + frame->hot_x(), r.top + frame->hot_y()};
  return true;
}

int32_t front_box_state(const FRONT_BOX& box, int32_t x, int32_t y, uint8_t event) {
  if (x < box.x0 || x >= box.x1 || y < box.y0 || y >= box.y1) return 0;
  return event == FRONT_EVENT_HELD ? 2 : 1;
}

void front_restart_steps(int32_t handle) {
  const int32_t index = mda_find_by_id(handle);
  if (index < 0) return;
  MDA_ENTRY& e = mda_table.entries[index];
  if (!e.current_step) return;
  for (int32_t c = 0; c < e.command_count; ++c) e.current_step[c] = 0;
}

uint32_t front_blink_flags(uint32_t* last, uint32_t now) {
  if (now - *last >= FRONT_BLINK_MS) {
    *last = now;
    return FRONT_BLINK;
  }
  return FRONT_STILL;
}

void front_draw_main_button(int32_t button_file, const FRONT_MAIN_BUTTON& b, int32_t index, int32_t state,
                            uint32_t blink, BITMAP16* target) {
  const int32_t dy = index * kSecondButtonDy;
  const FRONT_POINT idle{kIdleMarker.x, kIdleMarker.y + dy};
  const FRONT_POINT caption{kCaption.x, kCaption.y + dy};
  const FRONT_POINT hover{kHoverMarker.x, kHoverMarker.y + dy};
  if (state == 0) {
    run(b.art, b.command, b.point, FRONT_BLINK, target);
    run(button_file, "MainCommand4", idle, blink, target);
    return;
  }
  if (state == 2) {
    run(button_file, "MainCommand3", caption, FRONT_EXPLICIT, target);
  } else {
    run(button_file, "MainCommand2", caption, blink, target);
  }
  run(button_file, "MainCommand5", hover, blink, target);
  run(b.art, b.command, b.point, blink, target);
}

bool front_minimised() {
  const plat::WindowId w = sys_main_window();
  return w != plat::kNoWindow && plat::get().windows().isMinimised(w);
}

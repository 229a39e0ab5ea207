// The pop-up's draw callback in its least form: a one-pixel frame in place of the tiled one,
// "~Z1" and the slot text, and the 3000 ms expiry.
#include "client/game/frame_input.h"
#include "client/ui/message_box.h"
#include "client/window/window_manager.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16_lines.h"

void message_window_draw() {
  const int32_t id = window_current_id;
  int32_t rect[4];
  uint32_t slot = 0;
  if (window_get_rect(id, rect, &slot, 1) != 0) return;
  // A slot that no longer names this window (freed, or taken by a newer pop-up) would leave an
  // invisible window that still takes input: close it.
  if (slot >= MESSAGE_SLOTS || !message_slots[slot].in_use || static_cast<int32_t>(message_slots[slot].window_id) != id) {
    window_request_close(id);
    return;
  }
  MESSAGE_SLOT& s = message_slots[slot];
  gfx16_draw_rect(rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1], pixel_ops.pack_rgb(0xFFFFFF), screen_back);
  font_draw_text(0, 0, "~Z1", 1, screen_back);
  font_draw_text(rect[0] + 16, rect[1] + 16, s.text, 1, screen_back);
  if (frame_input.frame_time - s.open_time > MESSAGE_WINDOW_MS) {
    s.in_use = 0;
    window_request_close(id);
  }
}

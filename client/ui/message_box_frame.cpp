#include "client/ui/message_box_frame.h"

#include "client/game/frame_input.h"
#include "engine/draw/draw.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "graphics/primitives/gfx16.h"

void message_box_save_screen() { blit_copy_whole(screen_back, screen_saved); }
void message_box_restore_screen() { blit_copy_whole(screen_saved, screen_back); }

void message_box_fill(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, int level) {
  if (blit_ops.fill_blend) {
    blit_ops.fill_blend(x, y, w, h, colour, target, level);
  } else {
    gfx16_fill_rect_blend(x, y, w, h, colour, target, level);
  }
}

void message_box_present() {
  if (draw_present_slot && screen_back) draw_present_slot(screen_back);
}

bool message_box_take_dismiss() {
  bool dismissed = false;
  if (frame_input.event_code == 245 || frame_input.event_code == 248) {
    input_clear_key();
    frame_input.event_code = 0;
    dismissed = true;
  }
  const uint8_t key = frame_input.key_code;
  if (key == 13 || key == 27 || key == 32) {
    frame_input.key_code = 0;
    dismissed = true;
  }
  input_clear_keys();
  return dismissed;
}

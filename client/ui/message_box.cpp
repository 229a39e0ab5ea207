// The box drawing and the modal message box.
#include "client/ui/message_box.h"

#include <cstring>

#include "client/common/text_tokens.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/record_capture.h"
#include "client/ui/message_box_frame.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16_lines.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kYellow = 0xFFFF00;

// Text colour 0 is yellow while the box text is drawn and white afterwards, also when a frame
// budget or a replaced exit unwinds through the box.
struct YellowText {
  YellowText() { font_set_table_color(0, pixel_ops.pack_rgb(kYellow)); }
  ~YellowText() { font_set_table_color(0, pixel_ops.pack_rgb(kWhite)); }
};

}  // namespace

int32_t message_box_width(const char* text) {
  // Signed 64-bit: a text of tildes alone would wrap an unsigned length past the clamp.
  const int64_t chars = static_cast<int64_t>(text ? std::strlen(text) : 0) -
                        3 * static_cast<int64_t>(text_count_tilde_codes(text));
  int64_t width = chars * 6 + 32;
  if (width <= 12) width = 12;
  if (width > 0x10000000) width = 0x10000000;
  return static_cast<int32_t>(width);
}

void message_box_draw(int32_t x, int32_t y, int32_t width, const char* text, BITMAP16* target) {
  if (!target) return;
  message_box_fill(x, y, width, MESSAGE_BOX_HEIGHT, pixel_ops.pack_rgb(kBlack), target, 128);
  gfx16_draw_rect(x + 2, y + 2, width - 4, 40, pixel_ops.pack_rgb(kWhite), target);
  YellowText yellow;
  font_draw_text(0, 0, "~Z1", 1, target);
  font_draw_text(x + 16, y + 16, text, 1, target);
}

void show_message_box(const char* text, uint8_t wait) {
  int32_t x = 0, width = 0;
  if (text) {
    sys_log(1, text);  // as text, never as a format
    width = message_box_width(text);
    x = 400 - width / 2;
    message_box_save_screen();
    message_box_draw(x, MESSAGE_BOX_Y, width, text, screen_back);
  }
  if (!wait) {
    frame_step();
    return;
  }
  frame_step();
  frame_input.event_code = 0;
  frame_input.key_code = 0;
  frame_input.scan_code = 0;
  input_clear_key();
  input_clear_keys();
  for (;;) {
    frame_step();
    if (text) {
      message_box_restore_screen();
      message_box_draw(x, MESSAGE_BOX_Y, width, text, screen_back);
    }
    record_capture_frame();
    message_box_present();
    if (message_box_take_dismiss()) {
      frame_step();
      return;
    }
  }
}

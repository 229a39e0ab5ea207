#include "social/macro/macro_confirm_box.h"

#include "client/game/frame_input.h"
#include "client/ui/message_box.h"
#include "graphics/bitmap/screen_buffers.h"

namespace {
constexpr uint8_t kClick = 245;
bool inside(int32_t x, int32_t y, int32_t left, int32_t right) {
  return x >= left && x <= right && y >= 89 && y <= 109;
}
}  // namespace

int32_t macro_confirm_box(const char* text) {
  if (screen_back) message_box_draw(MACRO_CONFIRM_X, MACRO_CONFIRM_Y, MACRO_CONFIRM_WIDTH, text ? text : "", screen_back);
  const int32_t x = frame_input.mouse_x - MACRO_CONFIRM_X;
  const int32_t y = frame_input.mouse_y - MACRO_CONFIRM_Y;
  if (frame_input.event_code == kClick) {
    if (inside(x, y, 54, 116)) return 1;
    if (inside(x, y, 175, 237)) return 0;
  }
  frame_input.event_code = 0;
  frame_input.key_code = 0;
  return -1;
}

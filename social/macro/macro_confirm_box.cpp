// Stand-in of the macro confirm box until the macro dialogs are built: the question in a plain
// box, the two buttons' hit areas as the dialogs have them.
#include "social/macro/macro_confirm_box.h"

#include "client/game/frame_input.h"
#include "client/ui/message_box.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"

namespace {

constexpr uint8_t kRelease = 245;

bool inside(int32_t x, int32_t y, int32_t x0, int32_t x1) {
  return x >= x0 && x <= x1 && y >= CONFIRM_BUTTON_Y0 && y <= CONFIRM_BUTTON_Y1;
}

}  // namespace

int32_t macro_confirm_box(const char* text) {
  const int32_t x0 = (SCREEN_WIDTH - CONFIRM_BOX_WIDTH) / 2, y0 = (SCREEN_HEIGHT - CONFIRM_BOX_HEIGHT) / 2;
  if (screen_back) message_box_draw(x0, y0, CONFIRM_BOX_WIDTH, text ? text : "", screen_back);
  if (frame_input.event_code != kRelease) return -1;
  const int32_t x = frame_input.mouse_x - x0, y = frame_input.mouse_y - y0;
  int32_t answer = -1;
  if (inside(x, y, CONFIRM_LEFT_X0, CONFIRM_LEFT_X1)) answer = 1;
  if (inside(x, y, CONFIRM_RIGHT_X0, CONFIRM_RIGHT_X1)) answer = 0;
  if (answer >= 0) {
    // The click is used up: the screen behind does not see it again.
    frame_input.event_code = 0;
    input_clear_key();
  }
  return answer;
}

// The two-button question box: which click answers what.
#include <gtest/gtest.h>

#include "client/game/frame_input.h"
#include "social/macro/macro_confirm_box.h"
#include "tests/support/headless_fixture.h"

namespace {

using MacroConfirmBox = veldra_test::HeadlessTest;

TEST_F(MacroConfirmBox, ButtonsAnswerAndEverythingElseWaits) {
  struct Case {
    int32_t dx, dy;  // from the box origin
    uint8_t event;
    int32_t answer;
  } cases[] = {
      {54, 89, 245, 1},   {116, 109, 245, 1}, {175, 89, 245, 0},  {237, 109, 245, 0},
      {53, 89, 245, -1},  {117, 100, 245, -1}, {60, 88, 245, -1}, {60, 110, 245, -1},
      {150, 100, 245, -1}, {60, 100, 244, -1},  {200, 100, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " event " << int(c.event));
    frame_input.mouse_x = MACRO_CONFIRM_X + c.dx;
    frame_input.mouse_y = MACRO_CONFIRM_Y + c.dy;
    frame_input.event_code = c.event;
    frame_input.key_code = 13;
    EXPECT_EQ(macro_confirm_box("The server is full"), c.answer);
    if (c.answer == -1) {
      EXPECT_EQ(frame_input.event_code, 0);
      EXPECT_EQ(frame_input.key_code, 0);
    }
  }
}

}  // namespace

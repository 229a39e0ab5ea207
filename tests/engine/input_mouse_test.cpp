// INPUT's mouse filter: event codes, position and flags from the messages, the wheel, the
// pointer leaving and entering the client area, the set-cursor choice.
#include <gtest/gtest.h>

#include "tests/engine/input_fixture.h"

namespace engine_test {
namespace {

using InputMouse = InputTest;
using namespace plat;

int32_t at(int32_t x, int32_t y) { return static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | (x & 0xFFFF)); }

TEST_F(InputMouse, ButtonAndMoveMessagesGiveTheirEventCodes) {
  struct Case {
    uint32_t message, flags;
    uint8_t event;
  };
  const Case cases[] = {
      {WM_MOUSEMOVE, 0, 241},
      {WM_MOUSEMOVE, MK_LBUTTON, 242},
      {WM_MOUSEMOVE, MK_RBUTTON, 243},
      {WM_MOUSEMOVE, MK_MBUTTON, 255},
      {WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, 242},
      {WM_MOUSEMOVE, MK_RBUTTON | MK_MBUTTON, 243},
      {WM_LBUTTONDOWN, MK_LBUTTON, 244},
      {WM_LBUTTONUP, 0, 245},
      {WM_LBUTTONDBLCLK, MK_LBUTTON, 246},
      {WM_RBUTTONDOWN, MK_RBUTTON, 247},
      {WM_RBUTTONUP, 0, 248},
      {WM_RBUTTONDBLCLK, MK_RBUTTON, 249},
      {WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT, 250},
      {WM_MBUTTONUP, MK_CONTROL, 251},
      {WM_MBUTTONDBLCLK, MK_MBUTTON, 252},
  };
  for (const Case& c : cases) {
    input_clear_key();
    EXPECT_EQ(input_on_mouse_message(c.message, c.flags, at(-5, 599)), 1);
    EXPECT_EQ(input_get_event_u8(), c.event) << messageName(c.message) << " " << c.flags;
    int32_t x = 0, y = 0;
    input_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, 599);
    EXPECT_EQ(input_shift_flag(), (c.flags & MK_SHIFT) ? 1 : 0);
    EXPECT_EQ(input_ctrl_flag(), (c.flags & MK_CONTROL) ? 1 : 0);
  }
  // Other messages are not the mouse filter's.
  EXPECT_EQ(input_on_mouse_message(WM_KEYDOWN, 0, 0), 0);
  EXPECT_EQ(input_on_mouse_message(WM_PAINT, 0, 0), 0);
}

TEST_F(InputMouse, WithoutAnEventHeldButtonsAnswerAndClearKeyKeepsThem) {
  input_on_mouse_message(WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0);
  EXPECT_EQ(input_get_event(), static_cast<int8_t>(244));
  input_clear_key();
  EXPECT_EQ(input_get_event(), -14);
  EXPECT_EQ(input_get_event_u8(), 242);
  input_on_mouse_message(WM_RBUTTONDOWN, MK_RBUTTON, 0);
  input_clear_key();
  EXPECT_EQ(input_get_event(), -13);
  EXPECT_EQ(input_get_event_u8(), 243);
  input_on_mouse_message(WM_RBUTTONUP, 0, 0);
  input_clear_key();
  EXPECT_EQ(input_get_event(), 0);
}

TEST_F(InputMouse, WheelRemainderTurnsIntoNotches) {
  whileRunning([] {
    auto wheel = [](int16_t delta) {
      send(WM_MOUSEWHEEL, (static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16), 0);
    };
    wheel(60);
    EXPECT_EQ(input_get_event_u8(), 0);
    wheel(60);
    EXPECT_EQ(input_get_event_u8(), 253);
    EXPECT_EQ(input_state().mouse.wheel_remainder, 0);
    input_clear_key();
    wheel(-120);
    EXPECT_EQ(input_get_event_u8(), 254);
    input_clear_key();
    // A long turn in one direction stays inside the 16-bit remainder.
    for (int i = 0; i < 600; ++i) wheel(32767);
    EXPECT_EQ(input_state().mouse.wheel_remainder, 32767 - 120);
    input_clear_key();
    EXPECT_EQ(input_state().mouse.wheel_remainder, 0);
  });
}

TEST_F(InputMouse, TranslatedWheelPointsComeBackToTheClientPoint) {
  whileRunning([this] {
    plat::get().windows().move(sys_main_window(), Point{37, 41});
    sys_pump_messages();
    feed(plat::EventScript::parse("0 MOVE 100 200").events[0].input);
    input_clear_key();
    // Five notches in one event: five messages, each taking one notch.
    feed(plat::EventScript::parse("0 WHEEL 5").events[0].input);
    EXPECT_EQ(input_get_event_u8(), 253);
    EXPECT_EQ(input_state().mouse.wheel_remainder, 0);
    int32_t x = 0, y = 0;
    input_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);
    EXPECT_EQ(input_state().mouse.screen_x, 137);
    EXPECT_EQ(input_state().mouse.screen_y, 241);
  });
}

TEST_F(InputMouse, LeavingTheClientAreaShowsTheCursorAndAMoveComesBack) {
  whileRunning([this] {
    CursorRecord& rec = headless().cursorRecord();
    EXPECT_EQ(input_state().mouse.in_client, 1);
    feed(plat::EventScript::parse("0 MOVE 10 10").events[0].input);
    rec.shown = false;
    feed(plat::EventScript::parse("0 LEAVE").events[0].input);
    EXPECT_EQ(input_state().mouse.in_client, 0);
    EXPECT_TRUE(rec.shown);
    rec.shown = false;
    feed(plat::EventScript::parse("0 MOVE 11 12").events[0].input);
    EXPECT_EQ(input_state().mouse.in_client, 1);
    EXPECT_TRUE(rec.shown);  // shown with the system-cursor flag
    EXPECT_EQ(input_get_event_u8(), 241);
  });
}

TEST_F(InputMouse, SetCursorChoosesTheClientAreaCursorInsideOnly) {
  whileRunning([this] {
    CursorRecord& rec = headless().cursorRecord();
    ICursorSystem& cursors = plat::get().cursors();
    const CursorId arrow = cursors.arrow();
    // The client-area cursor: here the arrow, a real handle.
    input_set_cursor_shape(arrow);
    EXPECT_EQ(input_set_cursor_slot(3, 0), 0);
    input_select_cursor(3);  // the current cursor: none
    rec.sets.clear();
    cursors.setPosition(Point{799, 599});
    EXPECT_EQ(send(WM_SETCURSOR, sys_main_window(), static_cast<int32_t>(HTCLIENT | WM_MOUSEMOVE << 16)), 0);
    EXPECT_EQ(rec.sets, std::vector<CursorId>{arrow});
    // Outside the client rectangle the current cursor is set (a null one changes nothing).
    input_set_cursor_slot(4, arrow);
    input_select_cursor(4);
    input_set_cursor_shape(0);
    rec.sets.clear();
    cursors.setPosition(Point{800, 10});
    send(WM_SETCURSOR, sys_main_window(), 0);
    EXPECT_EQ(rec.sets, std::vector<CursorId>{arrow});
  });
}

TEST_F(InputMouse, SettingThePositionWarpsThePointer) {
  whileRunning([this] {
    input_set_mouse_pos(400, 300);
    int32_t x = 0, y = 0;
    input_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    ASSERT_FALSE(headless().cursorRecord().warps.empty());
    EXPECT_EQ(headless().cursorRecord().warps.back().x, 400);
    EXPECT_EQ(plat::get().cursors().position().y, 300);
  });
}

}  // namespace
}  // namespace engine_test

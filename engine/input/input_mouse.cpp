// The mouse filter of the window procedure: event codes, position, button flags, the wheel
// remainder and the cursor chosen for the client area; the cursor slots.
#include "engine/engine_main/engine_main.h"
#include "engine/input/input_state.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

namespace {

INPUT_MOUSE& ms() { return input_state().mouse; }

enum : uint8_t {
  EV_MOVE = 241, EV_MOVE_LEFT = 242, EV_MOVE_RIGHT = 243, EV_LEFT_DOWN = 244, EV_LEFT_UP = 245,
  EV_LEFT_DOUBLE = 246, EV_RIGHT_DOWN = 247, EV_RIGHT_UP = 248, EV_RIGHT_DOUBLE = 249, EV_MIDDLE_DOWN = 250,
  EV_MIDDLE_UP = 251, EV_MIDDLE_DOUBLE = 252, EV_WHEEL_FORWARD = 253, EV_WHEEL_BACK = 254, EV_MOVE_MIDDLE = 255
};

bool slot_ok(int32_t slot) { return slot >= 0 && slot < INPUT_CURSOR_SLOTS; }

// The button or move message's event code; 0 for other messages.
uint8_t button_event(uint32_t message, uint16_t flags) {
  switch (message) {
    case plat::WM_MOUSEMOVE:
      if (flags & plat::MK_LBUTTON) return EV_MOVE_LEFT;
      if (flags & plat::MK_RBUTTON) return EV_MOVE_RIGHT;
      if (flags & plat::MK_MBUTTON) return EV_MOVE_MIDDLE;
      return EV_MOVE;
    case plat::WM_LBUTTONDOWN: return EV_LEFT_DOWN;
    case plat::WM_LBUTTONUP: return EV_LEFT_UP;
    case plat::WM_LBUTTONDBLCLK: return EV_LEFT_DOUBLE;
    case plat::WM_RBUTTONDOWN: return EV_RIGHT_DOWN;
    case plat::WM_RBUTTONUP: return EV_RIGHT_UP;
    case plat::WM_RBUTTONDBLCLK: return EV_RIGHT_DOUBLE;
    case plat::WM_MBUTTONDOWN: return EV_MIDDLE_DOWN;
    case plat::WM_MBUTTONUP: return EV_MIDDLE_UP;
    case plat::WM_MBUTTONDBLCLK: return EV_MIDDLE_DOUBLE;
    default: return 0;
  }
}

// A screen point (wheel, non-client move) as the stored position.
void position_from_screen(int32_t sx, int32_t sy) {
  INPUT_MOUSE& m = ms();
  m.screen_x = sx;
  m.screen_y = sy;
  plat::Point c = plat::get().windows().screenToClient(sys_main_window(), plat::Point{sx, sy});
  m.x = c.x - m.offset_x;
  m.y = c.y - m.offset_y;
}

}  // namespace

void input_mouse_init() {
  INPUT_MOUSE& m = ms();
  const plat::CursorId arrow = plat::get().cursors().arrow();
  m = INPUT_MOUSE{};
  m.cursor_flags = 1;
  m.current_cursor = arrow;
  for (plat::CursorId& c : m.slots) c = arrow;
  m.in_client = 1;
}

int input_on_mouse_message(uint32_t message, uint32_t wParam, int32_t lParam) {
  INPUT_MOUSE& m = ms();
  const int32_t x = static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
  const int32_t y = static_cast<int16_t>(static_cast<uint32_t>(lParam) >> 16);
  if (uint8_t ev = button_event(message, static_cast<uint16_t>(wParam))) {
    m.button_flags = static_cast<uint16_t>(wParam);
    m.x = x - m.offset_x;
    m.y = y - m.offset_y;
    m.event = ev;
    if ((message == plat::WM_MOUSEMOVE || message == plat::WM_LBUTTONDOWN) && m.in_client == 0) {
      m.in_client = 1;
      plat::get().cursors().show((m.cursor_flags & 1) != 0);
    }
    return 1;
  }
  switch (message) {
    case plat::WM_MOUSEWHEEL: {
      m.button_flags = static_cast<uint16_t>(wParam);
      // Summed in 32 bits and kept within the i16 record, so a long turn cannot wrap it.
      int32_t sum = m.wheel_remainder + static_cast<int16_t>(wParam >> 16);
      if (sum > 32767) sum = 32767;
      if (sum < -32768) sum = -32768;
      m.wheel_remainder = static_cast<int16_t>(sum);
      position_from_screen(x, y);
      if (m.wheel_remainder >= 120) {
        m.wheel_remainder = static_cast<int16_t>(m.wheel_remainder - 120);
        m.event = EV_WHEEL_FORWARD;
      }
      if (m.wheel_remainder <= -120) {
        m.wheel_remainder = static_cast<int16_t>(m.wheel_remainder + 120);
        m.event = EV_WHEEL_BACK;
      }
      return 1;
    }
    case plat::WM_SETCURSOR: {
      plat::Point p = plat::get().cursors().position();
      plat::Rect r = plat::get().windows().clientRect(sys_main_window());
      const bool inside = p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
      plat::get().cursors().set(inside ? m.client_cursor : m.current_cursor);
      return 1;
    }
    case plat::WM_NCMOUSEMOVE:
      position_from_screen(x, y);
      if (m.in_client == 1) {
        m.in_client = 0;
        plat::get().cursors().show(true);
      }
      return 0;
    default:
      return 0;
  }
}

void input_get_mouse_pos(int32_t* x, int32_t* y) {
  if (x) *x = ms().x;
  if (y) *y = ms().y;
}

void input_set_mouse_pos(int32_t x, int32_t y) {
  plat::get().cursors().setPosition(plat::Point{x, y});
  ms().x = x;
  ms().y = y;
}

int8_t input_get_event() {
  const INPUT_MOUSE& m = ms();
  if (m.event != 0) return static_cast<int8_t>(m.event);
  if (m.button_flags & plat::MK_LBUTTON) return -14;
  if (m.button_flags & plat::MK_RBUTTON) return -13;
  return 0;
}

uint8_t input_get_event_u8() { return static_cast<uint8_t>(input_get_event()); }

int input_shift_flag() { return (ms().button_flags & plat::MK_SHIFT) ? 1 : 0; }
int input_ctrl_flag() { return (ms().button_flags & plat::MK_CONTROL) ? 1 : 0; }

void input_clear_key() {
  ms().event = 0;
  ms().wheel_remainder = 0;
}

// ---- cursor slots ---------------------------------------------------------------------------

void input_show_cursor(int32_t /*ignored*/) {
  INPUT_MOUSE& m = ms();
  if ((m.cursor_flags & 1) == 0) {
    plat::get().cursors().show(true);
    m.cursor_flags |= 1;
  }
}

void input_select_cursor(int32_t slot) {
  INPUT_MOUSE& m = ms();
  if (!slot_ok(slot) || slot == m.current_slot) return;
  m.current_cursor = m.slots[slot];
  m.current_slot = static_cast<int16_t>(slot);
}

void input_set_cursor_shape(plat::CursorId cursor) { ms().client_cursor = cursor; }

int input_set_cursor_slot(int32_t slot, plat::CursorId cursor) {
  if (!slot_ok(slot)) return -1;
  ms().slots[slot] = cursor;
  return 0;
}

void input_set_cursor_hotspot(int32_t slot, int32_t x, int32_t y) {
  if (!slot_ok(slot)) return;
  ms().hot_x[slot] = x;
  ms().hot_y[slot] = y;
}

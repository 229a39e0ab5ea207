// The INPUT module's hooks, its one state record, and the frame's debug line.
#include <cstdio>
#include <string>

#include "core/reset/module_resets.h"
#include "engine/input/input_state.h"
#include "engine/system/system.h"
#include "plat/platform.h"

INPUT_STATE& input_state() {
  static INPUT_STATE state{};
  return state;
}

int input_module_init() {
  sys_log(1, "INPUT module initialize starting...");
  input_flush();
  input_mouse_init();
  input_cursor_init();  // a missing save-under bitmap only leaves the software cursor undrawn
  plat::get().cursors().show(true);
  sys_log(1, "INPUT module initialized OKay.");
  sys_log(1, "");
  return 0;
}

void input_module_free() {
  input_cursor_free();
  sys_log(1, "INPUT module free OKay.");
}

void input_module_notify(uint32_t /*active*/) {}

void input_module_reset() {
  input_cursor_free();
  input_state() = INPUT_STATE{};
  ime_module_reset();
}

int input_debug_line() {
  if (!plat::environment().debugOut) return 0;
  const uint8_t key = input_get_key_code();
  const uint8_t scan = input_get_scan_code();
  const INPUT_MOUSE& m = input_state().mouse;
  const int32_t count = input_get_char_count();
  // Only the characters typed since the last line: a screen may keep them for several frames.
  uint8_t& told = input_state().keys.chars_told;
  const int32_t first = told < count ? told : count;
  told = static_cast<uint8_t>(count);
  if (key == 0 && scan == 0 && m.event == 0 && count == first) return 0;
  std::string chars;
  for (int32_t i = first; i < count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", input_get_char(i));
    chars += hex;
  }
  char head[96];
  std::snprintf(head, sizeof head, "input key=%d scan=%d event=%d x=%d y=%d chars=", key, scan, m.event, m.x, m.y);
  plat::get().debugOut(head + chars);
  return 1;
}

int input_debug_frame() {
  if (!input_debug_line()) return 0;
  input_clear_key();
  input_clear_chars();
  return 1;
}

static const ModuleReset k_reset("INPUT", input_module_reset);

// Stand-ins for the INPUT module: no message is taken, no key or character is kept.
#include "engine/input/input.h"

InputStubHooks& input_stub_hooks() {
  static InputStubHooks hooks;
  return hooks;
}

int input_on_mouse_message(uint32_t message, uint32_t wParam, int32_t lParam) {
  auto fn = input_stub_hooks().on_mouse_message;
  return fn ? fn(message, wParam, lParam) : 0;
}

void input_feed_scan_code(uint8_t code) {
  if (auto fn = input_stub_hooks().feed_scan_code) fn(code);
}

void input_add_char(uint8_t c) {
  if (auto fn = input_stub_hooks().add_char) fn(c);
}

// Without the IME state record every handler leaves the message to the default procedure.
int ime_on_start_composition(uint32_t, int32_t) { return 0; }
int ime_on_end_composition(uint32_t, int32_t) { return 0; }
int ime_on_composition(uint32_t, int32_t) { return 0; }
int ime_on_set_context(uint32_t, int32_t) { return 0; }
int ime_on_notify(uint32_t, int32_t) { return 0; }
int ime_on_lang_change_request(uint32_t, int32_t) { return 0; }
int ime_on_lang_change(uint32_t, int32_t) { return 0; }

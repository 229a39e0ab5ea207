// The INPUT module's entry points that the main window procedure feeds.
#pragma once
#include <cstdint>

// Mouse messages: 1 when the message was taken (the window procedure then answers 0).
int input_on_mouse_message(uint32_t message, uint32_t wParam, int32_t lParam);
// A key's scan-code byte; bit 7 set for a key going up.
void input_feed_scan_code(uint8_t code);
// A typed character byte.
void input_add_char(uint8_t c);

// IME and keyboard-layout handlers: 1 when handled, 0 when the default procedure should run.
int ime_on_start_composition(uint32_t wParam, int32_t lParam);
int ime_on_end_composition(uint32_t wParam, int32_t lParam);
int ime_on_composition(uint32_t wParam, int32_t lParam);
int ime_on_set_context(uint32_t wParam, int32_t lParam);
int ime_on_notify(uint32_t wParam, int32_t lParam);
int ime_on_lang_change_request(uint32_t wParam, int32_t lParam);
int ime_on_lang_change(uint32_t wParam, int32_t lParam);

// Until the INPUT module is built the entry points above take nothing and store nothing; tests
// put recorders into these slots to see what the window procedure hands over.
struct InputStubHooks {
  int (*on_mouse_message)(uint32_t message, uint32_t wParam, int32_t lParam) = nullptr;
  void (*feed_scan_code)(uint8_t code) = nullptr;
  void (*add_char)(uint8_t c) = nullptr;
};
InputStubHooks& input_stub_hooks();

// The system message: a modal box that closes by itself after ten seconds, or a pop-up.
#include <cstring>
#include <string_view>

#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/record_capture.h"
#include "client/ui/message_box.h"
#include "client/ui/message_box_frame.h"
#include "core/reset/module_resets.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/cp936.h"
#include "plat/tier0.h"

// Global on purpose: a system message opened from a handler inside another one moves the
// outer box's deadline too.
uint32_t system_message_deadline = 0;

void show_system_message(const char* text, uint8_t wait) {
  if (!text) return;
  if (!wait) {
    message_window_open(text);
    return;
  }
  const int32_t width = message_box_width(text);
  const int32_t x = 400 - width / 2;
  message_box_save_screen();
  message_box_draw(x, SYSTEM_MESSAGE_Y, width, text, screen_back);
  system_message_deadline = plat::tier0::msTime() + SYSTEM_MESSAGE_MS;
  input_clear_key();
  input_clear_keys();
  for (;;) {
    frame_step();
    message_box_restore_screen();
    message_box_draw(x, SYSTEM_MESSAGE_Y, width, text, screen_back);
    record_capture_frame();
    message_box_present();
    const bool dismissed = message_box_take_dismiss();
    if (system_message_deadline < plat::tier0::msTime() || dismissed) {
      frame_step();
      return;
    }
  }
}

void system_message_from_payload(const uint8_t* payload, size_t length) {
  if (!payload) return;
  std::string_view text(reinterpret_cast<const char*>(payload), length);
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  text = text.substr(0, plat::cp936::fitLength(text, MESSAGE_TEXT_SIZE - 1));
  char buffer[MESSAGE_TEXT_SIZE];
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  show_system_message(buffer, 0);
}

static const ModuleReset k_reset("system message", [] { system_message_deadline = 0; });

// Pop-up message windows: 100 slots, the cascade, and the input callback.
#include <cstring>
#include <string_view>

#include "client/game/frame_input.h"
#include "client/ui/message_box.h"
#include "client/window/window_manager.h"
#include "core/reset/module_resets.h"
#include "engine/input/input.h"
#include "plat/cp936.h"

MESSAGE_SLOT message_slots[MESSAGE_SLOTS] = {};
int32_t message_cascade_x = 0;
int32_t message_cascade_y = 0;

void message_slots_clear() { std::memset(message_slots, 0, sizeof message_slots); }

void message_window_open(const char* text) {
  if (!text) return;
  bool any = false;
  for (const MESSAGE_SLOT& s : message_slots) any |= s.in_use != 0;
  if (!any) message_cascade_x = message_cascade_y = 0;

  const int32_t width = message_box_width(text);
  const int32_t x = message_cascade_x - width / 2 + 400;
  const int32_t y = message_cascade_y + MESSAGE_BOX_Y;
  message_cascade_x += 12;
  message_cascade_y += 12;
  if (message_cascade_x > 400 || message_cascade_y > 300) message_cascade_x = message_cascade_y = 0;

  int index = -1;
  for (int i = 0; i < MESSAGE_SLOTS; ++i) {
    if (!message_slots[i].in_use) {
      index = i;
      break;
    }
  }
  if (index < 0) {
    show_message_box(text, 1);
    return;
  }
  MESSAGE_SLOT& s = message_slots[index];
  s.x = x;
  s.y = y;
  s.width = width;
  s.height = MESSAGE_BOX_HEIGHT;
  // Longer texts are cut on a character boundary.
  const std::string_view t(text);
  const size_t n = plat::cp936::fitLength(t, MESSAGE_TEXT_SIZE - 1);
  std::memcpy(s.text, t.data(), n);
  s.text[n] = '\0';
  const int32_t id = window_add(x, y, x + width, y + MESSAGE_BOX_HEIGHT, message_window_draw, message_window_input, 0, 1);
  s.window_id = static_cast<uint32_t>(id);
  window_set_rect(id, nullptr, static_cast<uint32_t>(index), 1);
  s.in_use = 1;
  s.open_time = frame_input.frame_time;
}

void message_window_input() {
  const int32_t id = window_current_id;
  int32_t rect[4];
  uint32_t slot = 0;
  if (window_get_rect(id, rect, &slot, 1) != 0 || slot >= MESSAGE_SLOTS) return;
  MESSAGE_SLOT& s = message_slots[slot];
  if (static_cast<int32_t>(s.window_id) != id) return;
  if (frame_input.event_code == 248) {
    input_clear_key();
    s.in_use = 0;
    window_request_close(id);
  } else if (frame_input.event_code == 242) {
    window_drag_start(id, 1, frame_input.raw_mouse_x - rect[0], frame_input.raw_mouse_y - rect[1]);
  }
  frame_input.event_code = 0;
}

static const ModuleReset k_reset("message windows", [] {
  message_slots_clear();
  message_cascade_x = message_cascade_y = 0;
});

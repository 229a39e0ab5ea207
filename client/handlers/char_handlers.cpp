// The character list, the character choice and the nickname replies.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "client/common/text_field.h"
#include "client/game/task_state.h"
#include "client/handlers/client_handlers.h"
#include "client/net/net_link.h"
#include "client/state/login_state.h"
#include "client/ui/message_box.h"
#include "plat/platform.h"
#include "ui/nickname/nickname_window.h"

namespace {

constexpr uint32_t kLoginRetryPauseMs = 500;

}  // namespace

void char_list_on_list(uint32_t, int32_t count, net_msg::Payload payload) {
  std::vector<CHAR_RECORD> list;
  if (count > 0) {
    list = payload.fieldRecords<CHAR_RECORD>(count, CHAR_RECORD_FIELDS, CHAR_RECORD_WALK);
    for (CHAR_RECORD& c : list) text_field_terminate(c.name);
  }
  // The previous list goes with the assignment; a -1 leaves none.
  char_list = std::move(list);
  if (count == -1) show_message_box("get char list error", 1);
  if (link_lost_word == 2) {
    // The login retry's pacing: it polls while this runs.
    plat::get().clock().sleepMs(kLoginRetryPauseMs);
    net_send_world(0x30008, static_cast<int32_t>(selected_char_id), nullptr, 0);
  }
}

void char_on_select(uint32_t, int32_t result, net_msg::Payload) {
  const uint32_t lo = static_cast<uint32_t>(result) & 0xFFFF;
  const uint32_t hi = static_cast<uint32_t>(result) >> 16;
  if (lo != 0) {
    net_link.own_disconnect = 1;
    if (hi != 0) {
      char text[64];
      std::snprintf(text, sizeof text, "Users have logged in through %dline", static_cast<int>(hi));
      show_message_box(text, 1);
    } else {
      show_message_box("select character return error, exit !", 1);
    }
    return;
  }
  char_selected_flag = 1;
  if (hi != 0) show_system_message("This character hase been logged in.", 0);
}

void nickname_on_check(uint32_t, int32_t status, net_msg::Payload) {
  if (status == 0) {
    nickname_accepted_flag = 1;
  } else if (status == -2) {
    show_message_box("The nickname is not available", 1);
  } else {
    show_system_message("Sorry, the nickname is not available!", 0);
  }
}

void nickname_on_set(uint32_t, int32_t id, net_msg::Payload payload) {
  if (id >= 1) {
    const std::string name = payload.text(0, CHAR_NAME_SIZE - 1);
    for (CHAR_RECORD& c : char_list) {
      if (c.id != static_cast<uint32_t>(id)) continue;
      std::memset(c.name, 0, sizeof c.name);
      std::memcpy(c.name, name.data(), name.size());
    }
    if (nickname_window_open) nickname_window_toggle();
  } else if (id == -1) {
    show_message_box("Please enter a nickname!", 1);
  } else {
    show_message_box("The nickname is not available", 1);
  }
}

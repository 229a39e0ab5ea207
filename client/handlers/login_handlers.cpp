// The login reply, the login queue and the account's end messages.
#include <cstdio>

#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "client/net/net_link.h"
#include "client/state/core_state.h"
#include "client/state/login_state.h"
#include "client/ui/message_box.h"
#include "plat/platform.h"

namespace {

constexpr const char* kInvalid = "Invalid account name or password, please enter again";
// The curly quotes are double-byte characters of the game's code page.
constexpr const char* kNotActivated =
    "The account has not yet been activated. Click \xA1\xB0" "Confirm\xA1\xB1 to close the game client and open the "
    "website to activate it. Click \xA1\xB0" "Cancel\xA1\xB1 to enter other account.";
constexpr const char* kClosed = "The account has been closed, please contact GM";
constexpr const char* kIpBlocked = "The IP has been blocked, unable to log in";
constexpr const char* kCapitals = "Invalid account name, please note capitallization";
constexpr const char* kLocked = "The account ID has been locked.";

}  // namespace

void login_on_result(uint32_t, int32_t status, net_msg::Payload payload) {
  switch (status) {
    case 0: {
      const uint32_t value = payload.u32(0);
      const uint32_t server_seconds = payload.u32(4);
      plat::get().debugOut("CHECK OK");
      if (login_state.wait_seconds != 0) return;
      login_state.done = 1;
      server_clock.valid = 1;
      server_clock.login_value = value;
      server_clock.offset = static_cast<int32_t>(server_seconds - frame_input.frame_time / 1000);
      net_send_world(0x30007, 0, nullptr, 0);
      return;
    }
    case 1:
    case 2:
    case 3: show_message_box(kInvalid, 1); return;
    case 4: show_message_box(kNotActivated, 1); return;
    case 5:
      show_message_box(kClosed, 1);
      plat::get().process().exit(0);
      return;
    case 6: show_message_box(kIpBlocked, 1); return;
    case 7:
      show_message_box(kCapitals, 1);
      plat::get().process().exit(0);
      return;
    case 8: show_system_message(kLocked, 1); return;
    default: return;
  }
}

void login_on_wait(uint32_t, int32_t wait_seconds, net_msg::Payload payload) {
  const int32_t position = payload.i32(0);
  char line[64];
  std::snprintf(line, sizeof line, "wait login,%d-%d", wait_seconds, position);
  plat::get().debugOut(line);
  login_state.wait_seconds = wait_seconds;
  login_state.queue_position = position;
  login_state.done = 0;
}

void login_on_other_char_in_game(uint32_t, int32_t, net_msg::Payload) {
  net_link.own_disconnect = 1;
  show_message_box("Other character of the same account is still in game, the program will be closed", 1);
}

void login_on_account_in_use(uint32_t, int32_t, net_msg::Payload) {
  net_link.own_disconnect = 1;
  show_message_box("The account is being used by other player", 1);
}

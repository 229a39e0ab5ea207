// The login retry after a lost world link: reconnect to the stored server, log in with the
// stored credentials and wait for the login reply.
#include <cstring>

#include "client/game/session_state.h"
#include "client/game/task_table.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/record/record.h"
#include "client/ui/message_box.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "plat/platform.h"
#include "plat/tier0.h"

namespace {

constexpr const char* kBusy = "The server is busy, please retry later or use update.exe to enter game";
constexpr uint32_t kLoginMessage = 0x20000;
constexpr uint32_t kLoginBlockSize = 64;
constexpr uint32_t kPollPauseMs = 10;

// Keeps the window alive while nothing is drawn; what the player types meanwhile is dropped.
void pump_discarding_input() {
  sys_pump_messages();
  input_clear_keys();
  input_clear_key();
  input_clear_chars();
}

}  // namespace

int login_send_stored_credentials() {
  LOGIN_CREDENTIALS stored = login_credentials;
  stored.account[LOGIN_FIELD_SIZE - 1] = '\0';
  stored.password[LOGIN_FIELD_SIZE - 1] = '\0';
  uint8_t block[kLoginBlockSize] = {};
  net_build_login_block(stored.account, stored.password, block, kLoginBlockSize);
  return net_send_world(kLoginMessage, 0, block, kLoginBlockSize);
}

int login_retry() {
  plat::IClock& clock = plat::get().clock();
  clock.sleepMs(100);
  session_state_reset();
  task_state_reset();
  if (net_connect_world(reconnect_host, reconnect_port, net_dispatch_message) == -1) {
    show_message_box(kBusy, 1);
    return -1;
  }
  clock.sleepMs(1000);
  login_send_stored_credentials();
  clock.sleepMs(500);
  record_state.mirror = 0;
  // The login reply, handled inside the poll, changes the word. Without a bound a silent server
  // would freeze the window for ever: the wait also ends when the world link drops or after the
  // loss timer's 30 s, on the tier0 clock since no frame step advances the frame time here.
  const uint32_t start = plat::tier0::msTime();
  while (link_lost_word == 2) {
    const int polled = net_poll_links();
    if (link_lost_word != 2) break;
    if (polled == 3 || !net_link.world_connected || plat::tier0::msTime() - start >= NET_LOSS_EXIT_MS) {
      net_disconnect_all(1);
      show_message_box(kBusy, 1);
      return -1;
    }
    pump_discarding_input();
    clock.sleepMs(kPollPauseMs);
  }
  return 0;
}

// Stand-in until the chat messages are built: only the value echo, which the login retry needs
// to end its wait, is handled; every other id is ignored.
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "social/chat_msg/chat_msg_dispatch.h"

namespace {

constexpr uint32_t kValueEcho = 0x40280;
constexpr uint32_t kEchoToWorld = 0xf0004;

// The argument goes back on the world link; a login retry waiting on the word (2) is done.
void chat_on_value_echo(int32_t arg) {
  net_send_world(kEchoToWorld, arg, nullptr, 0);
  if (link_lost_word == 2) link_lost_word = 3;
}

}  // namespace

int chat_msg_dispatch(uint32_t id, int32_t arg, const uint8_t* /*payload*/, uint32_t /*len*/,
                      bool /*do_not_record*/) {
  if (id == kValueEcho) chat_on_value_echo(arg);
  return 0;
}

// Stand-in until the chat messages are built: nothing is handled.
#include "social/chat_msg/chat_msg_dispatch.h"

int chat_msg_dispatch(uint32_t /*id*/, int32_t /*arg*/, const uint8_t* /*payload*/, uint32_t /*len*/,
                      bool /*do_not_record*/) {
  return 0;
}

// The player's timed states that the experience group starts, renews and ends.
#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "items/timed_state/timed_state.h"

namespace {

void start(uint32_t kind, uint32_t seconds) { timed_state_set(kind, frame_input.frame_time, seconds * 1000u); }

void remove_all(uint32_t kind) {
  while (timed_state_find(kind) >= 0) timed_state_remove(kind);
}

}  // namespace

void timed_on_kind1(uint32_t, int32_t seconds, net_msg::Payload) {
  if (seconds != 0) {
    start(1, static_cast<uint32_t>(seconds));
  } else {
    remove_all(1);
  }
}

void timed_on_kind23(uint32_t, int32_t arg, net_msg::Payload) {
  const uint32_t kind = static_cast<uint32_t>(arg) >> 16;
  const uint32_t seconds = static_cast<uint32_t>(arg) & 0xFFFF;
  if (kind == 1 && seconds == 0) {
    remove_all(2);
    remove_all(3);
  } else if (kind == 2 || kind == 3) {
    start(kind, seconds);
  }
}

void timed_on_kind(uint32_t, int32_t arg, net_msg::Payload) {
  const uint32_t word = static_cast<uint32_t>(arg);
  const uint32_t kind = (word >> 16) & 0x7FFF;
  if (word & 0x80000000u) {
    start(kind, word & 0xFFFF);
  } else {
    remove_all(kind);
  }
}

// The player's restore values.
#include "client/handlers/client_handlers.h"
#include "client/handlers/own_char_flags.h"
#include "client/state/player_state.h"
#include "world/scene/scene_chars.h"

namespace {

void restore(int which, int32_t value) {
  player_state.restore[which] = value;
  own_char_flags_set(SCENE_FLAG_RESTORED);
}

}  // namespace

void restore_on_player_hp(uint32_t, int32_t value, net_msg::Payload) { restore(0, value); }

void restore_on_player_mp(uint32_t, int32_t value, net_msg::Payload) { restore(1, value); }

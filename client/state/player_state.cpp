#include "client/state/player_state.h"

#include "core/reset/module_resets.h"

PLAYER_STATE player_state{};

void player_state_reset() { player_state = PLAYER_STATE{}; }

namespace {
const ModuleReset k_reset("player state", player_state_reset);
}  // namespace

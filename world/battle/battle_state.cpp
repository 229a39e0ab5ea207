#include "world/battle/battle_state.h"

#include "core/reset/module_resets.h"

BATTLE_ACTION_DATA battle_action_data;
BATTLE_CORE_STATE battle_core_state;

static const ModuleReset k_reset("battle state", [] {
  battle_action_data = BATTLE_ACTION_DATA{};
  battle_core_state = BATTLE_CORE_STATE{};
});

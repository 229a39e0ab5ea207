#include "client/game/replay_state.h"

#include "core/reset/module_resets.h"

uint8_t replaying = 0;

static const ModuleReset k_reset("replaying", [] { replaying = 0; });

#include "client/game/game_running.h"

#include "core/reset/module_resets.h"

int32_t game_running = 0;

static const ModuleReset k_reset("game running", [] { game_running = 0; });

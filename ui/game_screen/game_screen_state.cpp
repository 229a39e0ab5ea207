#include "ui/game_screen/game_screen_state.h"

#include "core/reset/module_resets.h"

GAME_SCREEN_STATE game_screen_state = {-1, -1, 0, HIT_CODE_NONE, 0, 0, 0, 0};

void game_screen_state_reset() { game_screen_state = {-1, -1, 0, HIT_CODE_NONE, 0, 0, 0, 0}; }

static const ModuleReset k_reset("game screen state", game_screen_state_reset);

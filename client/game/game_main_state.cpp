#include "client/game/game_main_state.h"

#include "core/reset/module_resets.h"

uint8_t scene_redraw_flag = 0;

static const ModuleReset k_reset("scene redraw", [] { scene_redraw_flag = 0; });

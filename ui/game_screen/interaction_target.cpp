#include "ui/game_screen/interaction_target.h"

#include "core/reset/module_resets.h"

uint32_t interaction_target_id = 0;

static const ModuleReset k_reset("interaction target", [] { interaction_target_id = 0; });

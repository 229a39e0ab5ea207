#include "ui/status_bars/player_status_bars.h"

#include "core/reset/module_resets.h"

PLAYER_STATUS_BARS player_status_bars = {0, 0};

void player_status_bars_reset() { player_status_bars = {0, 0}; }

static const ModuleReset k_reset("status bars", player_status_bars_reset);

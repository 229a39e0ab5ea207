#include "ui/status_bars/player_status_bars.h"

PLAYER_STATUS_BARS player_status_bars = {0, 0};

void player_status_bars_reset() { player_status_bars = {0, 0}; }

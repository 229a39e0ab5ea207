#include "client/game/game_running.h"

int32_t game_running = 0;

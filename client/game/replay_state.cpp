#include "client/game/replay_state.h"

uint8_t replaying = 0;

// The two values of the player's status bars that the server sets directly (messages 0x5000a
// and 0x5000b).
#pragma once
#include <cstdint>

struct PLAYER_STATUS_BARS {
  int32_t first;
  int32_t second;
};

extern PLAYER_STATUS_BARS player_status_bars;

void player_status_bars_reset();

// The player's own record as the interface reads it; the game screen fills it on entry.
#pragma once
#include <cstdint>

struct PLAYER_RECORD {
  uint8_t page_count;  // the highest item page the player may browse
};
extern PLAYER_RECORD player_record;
// 1 once the record holds the player's data.
extern int32_t player_record_loaded;

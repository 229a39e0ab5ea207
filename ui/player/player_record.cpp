#include "ui/player/player_record.h"

#include "core/reset/module_resets.h"

PLAYER_RECORD player_record{};
int32_t player_record_loaded = 0;

static const ModuleReset k_reset("player record", [] {
  player_record = PLAYER_RECORD{};
  player_record_loaded = 0;
});

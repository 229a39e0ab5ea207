#include "world/battle/fight_units.h"

#include "core/reset/module_resets.h"

FIGHT_UNIT fight_units[FIGHT_UNITS];
FIGHT_UNIT spectator_slots[SPECTATOR_SLOTS];
int32_t in_battle_flag = 0;

int32_t battle_find_unit(uint32_t id) {
  for (int32_t i = 0; i < FIGHT_UNITS; ++i) {
    if (fight_units[i].in_use && fight_units[i].id == id) return i;
  }
  return -1;
}

void battle_reset_units() {
  for (FIGHT_UNIT& u : fight_units) u = FIGHT_UNIT{};
  for (FIGHT_UNIT& u : spectator_slots) u = FIGHT_UNIT{};
}

static const ModuleReset k_reset("fight units", [] {
  battle_reset_units();
  in_battle_flag = 0;
});

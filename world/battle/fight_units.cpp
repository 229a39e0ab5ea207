#include "world/battle/fight_units.h"

#include "core/reset/module_resets.h"

FIGHT_UNIT fight_units[FIGHT_UNITS];
int32_t in_battle_flag = 0;

int32_t battle_find_unit(uint32_t id) {
  for (int32_t i = 0; i < FIGHT_UNITS; ++i) {
    if (fight_units[i].in_use && fight_units[i].id == id) return i;
  }
  return -1;
}

static const ModuleReset k_reset("fight units", [] {
  for (FIGHT_UNIT& u : fight_units) u = FIGHT_UNIT{};
  in_battle_flag = 0;
});

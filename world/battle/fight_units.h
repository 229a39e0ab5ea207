// The battle's units as far as the rest of the game reads them: 20 fight units and the search
// by id. The battle scene fills them.
#pragma once
#include <cstdint>

constexpr int FIGHT_UNITS = 20;

struct FIGHT_UNIT {
  uint8_t in_use;
  uint32_t id;
  uint8_t page_count;  // the highest item page the unit may browse
};
extern FIGHT_UNIT fight_units[FIGHT_UNITS];

// 1 while a battle runs.
extern int32_t in_battle_flag;

// The in-use unit holding the id (0..19), or -1.
int32_t battle_find_unit(uint32_t id);

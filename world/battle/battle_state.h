// What the client core's battle handlers keep for the battle beside its units: the per-kind
// data of the pending action, the onlooker flag, the skill-usage gain and the map position kept
// across the battle.
#pragma once
#include <cstdint>

#include "world/battle/battle_records.h"

// The battle's lists hold one entry per fight unit.
constexpr int32_t BATTLE_LIST_SIZE = 20;

struct BATTLE_ACTION_DATA {
  // Kinds 0 and 1 (hits) and 100 (targets): three parallel lists of the 12-byte records' words.
  int32_t list_count;
  uint32_t list_a[BATTLE_LIST_SIZE], list_b[BATTLE_LIST_SIZE], list_c[BATTLE_LIST_SIZE];
  // Kind 2: words 1 and 2 of its one 12-byte record, else 0.
  uint32_t target_words[2];
  // Kinds 6 and 8: the new pet's unit.
  BATTLE_UNIT_RECORD new_unit;
  // Kind 102: the unit ids of the targets.
  int32_t target_count;
  uint32_t target_ids[BATTLE_LIST_SIZE];
};
extern BATTLE_ACTION_DATA battle_action_data;

struct BATTLE_CORE_STATE {
  uint8_t spectating;       // the player watches (or fights in) a battle others join
  int32_t skill_usage_gain;  // shown as a notice line at the battle's end
  int32_t kept_map_x, kept_map_y;  // the player's map position when the battle started
};
extern BATTLE_CORE_STATE battle_core_state;

// What the client core's battle handlers ask of the battle: create units, store actions, take
// values and statuses, choose commands and run the command countdowns. Until the battle scene
// is built these record their calls; creating a unit also fills the fields the client core reads.
#pragma once
#include <cstdint>

#include "world/battle/battle_records.h"

// Fills the free unit in the slot from the record's sixteen values and loads its look.
void battle_create_unit(const BATTLE_UNIT_RECORD& record, int32_t slot);
// Stores the action as the one the battle plays next.
void battle_queue_action(const BATTLE_ACTION& action);
// Copies the record's values into the unit with its id.
void battle_update_unit_stats(const BATTLE_UNIT_STATS& record);
// Applies a status change to a unit and shows its value.
void battle_apply_unit_status(const BATTLE_UNIT_STATUS& record);
// Puts the unit in the slot back to its home position and pose.
void battle_reset_unit_after_action(int32_t slot);

constexpr int32_t BATTLE_WHO_PLAYER = 0;
constexpr int32_t BATTLE_WHO_PET = 1;
// Sets the current command of the player (0) or the pet (1); open lets the item command open
// the item window.
void battle_select_command(int32_t who, int32_t code, int32_t open);

constexpr int32_t BATTLE_TIMER_START = 0;
constexpr int32_t BATTLE_TIMER_PAUSE = 1;
constexpr int32_t BATTLE_TIMER_RESUME = 2;
constexpr int32_t BATTLE_TIMER_RESTART = 3;
// Controls the command countdown of the player (0) or the pet (1).
void battle_set_command_timer(int32_t who, int32_t op);

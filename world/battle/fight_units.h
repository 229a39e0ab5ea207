// The battle's units as far as the rest of the game reads them: 20 fight units and the search
// by id. The battle scene fills them.
#pragma once
#include <cstdint>

constexpr int FIGHT_UNITS = 20;

constexpr int SPECTATOR_SLOTS = 5;
constexpr int FIGHT_UNIT_NAME_SIZE = 24;

// Only the fields the client core reads and writes; the battle scene adds its own.
struct FIGHT_UNIT {
  uint8_t in_use;
  uint32_t id;
  uint8_t page_count;  // the highest item page the unit may browse
  char name[FIGHT_UNIT_NAME_SIZE];
  int32_t hit_points;
  uint8_t server_byte;      // the byte at 48 that messages 0xc0006 and 0xc0014 set
  uint32_t flags;           // the flags word at 56 (bits 0x8000 and 0x80000)
  uint8_t byte_61;          // cleared with the flags by 0x130004
  uint16_t look;            // look number (spectators)
  uint8_t shown;            // drawn (spectators)
  int32_t x, y;             // position (spectators' fixed places)
  uint32_t join_time;       // frame time of joining (spectators)
  int32_t effect_slot = -1;  // battle effect slot showing the spectator, -1 none
  uint32_t shown_command[4];  // the command the unit shows
  uint8_t ready;            // the unit has chosen its command this round
};
extern FIGHT_UNIT fight_units[FIGHT_UNITS];
// The same records for the battle's onlookers.
extern FIGHT_UNIT spectator_slots[SPECTATOR_SLOTS];

// 1 while a battle runs.
extern int32_t in_battle_flag;

// Every fight unit and spectator slot free (no effect slot) and the battle's state back to its
// start.
void battle_reset_units();

// The in-use unit holding the id (0..19), or -1.
int32_t battle_find_unit(uint32_t id);

// The player's own record as the client core keeps it: the blocks the experience, title, restore
// and battle messages write, the skill rank and reputation, the title and the points the player
// is about to allocate. The game screen's windows read it.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int PLAYER_BASE_WORDS = 11;      // level in word 0, experience in 7, still needed in 8
constexpr int PLAYER_DETAIL_WORDS = 15;    // message 0x50005
constexpr int PLAYER_DERIVED_VALUES = 5;   // free points and the four attributes (base + bonus)
constexpr int PLAYER_EXTENDED_WORDS = 39;  // message 0x50001
constexpr int PLAYER_BLOCK_E6_WORDS = 18;  // message 0xe0006 (and words 0..17 of 0x50003)
constexpr int PLAYER_VALUES = 6;           // message 0x50006
constexpr int PLAYER_BATTLE_VALUES = 4;    // the tail of battle actions of kinds 0 and 1
constexpr size_t PLAYER_TITLE_SIZE = 28;   // 27 characters and a NUL
constexpr size_t PLAYER_NAME_SIZE = 16;    // 15 characters and a NUL
constexpr size_t POINT_ALLOCATION_SIZE = 10;  // five u16: free points, then the four attributes

// The status byte: bits 5..7 the skill rank (0..7), bits 0..4 the reputation level (0..31).
constexpr uint8_t PLAYER_STATUS_RANK_SHIFT = 5;
constexpr uint8_t PLAYER_STATUS_REPUTATION_MASK = 0x1f;

struct PLAYER_STATE {
  uint32_t base[PLAYER_BASE_WORDS];
  uint32_t details[PLAYER_DETAIL_WORDS];
  uint8_t details_valid;
  uint16_t derived[PLAYER_DERIVED_VALUES];
  uint32_t extended[PLAYER_EXTENDED_WORDS];
  uint32_t block_e6[PLAYER_BLOCK_E6_WORDS];
  int32_t values[PLAYER_VALUES];
  uint32_t stats_points;
  int32_t restore[2];  // set by 0xd0001 and 0xd0002
  int32_t battle_values[PLAYER_BATTLE_VALUES];
  uint8_t status;
  char name[PLAYER_NAME_SIZE];
  char title[PLAYER_TITLE_SIZE];
  uint8_t stat_refresh;  // set when the stat windows must read the record again
  uint8_t pending[POINT_ALLOCATION_SIZE];  // the point allocation not sent yet (five u16, LE)
};

extern PLAYER_STATE player_state;

// Everything zeroed, as at start and at each session start.
void player_state_reset();

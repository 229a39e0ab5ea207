// The player's own record as the client core keeps it: the 156-byte block of the full-details
// message (which holds the base block and the attribute values the other messages update), the
// blocks the details, title and battle messages write, the skill rank and reputation, the title
// and the points the player is about to allocate. The game screen's windows read it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "client/state/point_allocation.h"

constexpr size_t PLAYER_RECORD_SIZE = 156;
constexpr int PLAYER_RECORD_WORDS = 39;    // the record as the message carries it
constexpr int PLAYER_BASE_WORDS = 11;      // level in word 0, experience in 7, still needed in 8
constexpr int PLAYER_DETAIL_WORDS = 15;    // message 0x50005
constexpr int PLAYER_DERIVED_VALUES = 5;   // free points and the four attributes (base + bonus)
constexpr int PLAYER_BLOCK_E6_WORDS = 18;  // message 0xe0006 (and words 0..17 of 0x50003)
constexpr int PLAYER_VALUES = 6;           // message 0x50006
constexpr int PLAYER_BATTLE_VALUES = 4;    // the tail of battle actions of kinds 0 and 1
constexpr size_t PLAYER_TITLE_SIZE = 28;   // 27 characters and a NUL
constexpr size_t PLAYER_NAME_SIZE = 16;    // 15 characters and a NUL

// Byte offsets of the record's fields.
constexpr size_t PLAYER_AT_GUILD_NAME = 0;   // 16 bytes
constexpr size_t PLAYER_AT_BASE = 16;        // the base block, 11 words (16..59)
constexpr size_t PLAYER_AT_LEVEL = 16;       // base word 0
constexpr size_t PLAYER_AT_EXP = 44;         // base word 7
constexpr size_t PLAYER_AT_EXP_NEEDED = 48;  // base word 8
constexpr size_t PLAYER_AT_REPUTATION = 116;  // u8
constexpr size_t PLAYER_AT_REBIRTH = 118;     // i8
constexpr size_t PLAYER_AT_GRADED = 140;      // low and high halves
constexpr size_t PLAYER_AT_GUILD_ID = 148;    // 0: no guild
constexpr size_t PLAYER_AT_GUILD_RANK = 152;  // 0..12
// The five derived values (i16): the free points, Stamina, Intellect, Strength, Speed.
constexpr size_t PLAYER_AT_DERIVED[PLAYER_DERIVED_VALUES] = {60, 68, 80, 92, 104};

// The status byte: bits 5..7 the skill rank (0..7), bits 0..4 the reputation level (0..31).
constexpr uint8_t PLAYER_STATUS_RANK_SHIFT = 5;
constexpr uint8_t PLAYER_STATUS_REPUTATION_MASK = 0x1f;

struct PLAYER_STATE {
  uint32_t record[PLAYER_RECORD_WORDS];
  uint32_t details[PLAYER_DETAIL_WORDS];
  uint8_t details_valid;
  uint32_t block_e6[PLAYER_BLOCK_E6_WORDS];
  int32_t values[PLAYER_VALUES];
  uint32_t stats_points;
  int32_t restore[2];  // set by 0xd0001 and 0xd0002
  int32_t battle_values[PLAYER_BATTLE_VALUES];
  uint8_t status;
  char name[PLAYER_NAME_SIZE];
  char title[PLAYER_TITLE_SIZE];
  uint8_t stat_refresh;  // set when the stat windows must read the record again
  uint8_t pending[POINT_ALLOCATION_SIZE];  // the point allocation not sent yet (five i16, LE)
};

extern PLAYER_STATE player_state;

// Everything zeroed, as at start and at each session start.
void player_state_reset();

// The record's little-endian fields by byte offset (the offset inside the record, aligned to
// the field's width).
uint32_t player_record_u32(size_t at);
void player_record_set_u32(size_t at, uint32_t value);
int16_t player_record_i16(size_t at);
void player_record_set_i16(size_t at, int16_t value);
uint8_t player_record_u8(size_t at);
// Base block word i (0..10).
uint32_t player_base(int i);
void player_base_set(int i, uint32_t value);

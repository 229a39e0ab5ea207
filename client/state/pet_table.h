// The player's pets as the server last described them, in slot order, and the state beside them.
// The pet handlers fill the table; the party and the chat line read it.
#pragma once
#include <cstdint>

#include "plat/bytes.h"

constexpr int32_t PET_COUNT = 14;
constexpr int32_t PET_NAME_SIZE = 16;  // 15 characters and a NUL
constexpr int32_t PET_RECORD_SIZE = 140;
constexpr int32_t PET_VALUE_COUNT = 10;
constexpr int32_t PET_STAT_COUNT = 18;

struct PET_RECORD {
  uint32_t id;  // 0: an empty slot
  char name[PET_NAME_SIZE];
  uint16_t level_bits;  // the low 7 bits are the pet's level bits
  uint16_t word_22;
  uint32_t word_24;
  int32_t values[PET_VALUE_COUNT];  // 28..67: the words at 56, 60 and 64 are values[7..9]
  int32_t stats[PET_STAT_COUNT];    // 68..139: the word at 132 is stats[16]
};

constexpr plat::FieldSpec PET_RECORD_FIELDS[] = {
    {"id", 0, 4},        {"name", 4, 16},    {"level bits", 20, 2}, {"word 22", 22, 2},
    {"word 24", 24, 4},  {"values", 28, 40}, {"stats", 68, 72},
};
static_assert(plat::checkLayout(PET_RECORD_FIELDS, PET_RECORD_SIZE));
constexpr auto PET_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, PET_NAME_SIZE);
  v.u16(r.level_bits);
  v.u16(r.word_22);
  v.u32(r.word_24);
  v.i32s(r.values, PET_VALUE_COUNT);
  v.i32s(r.stats, PET_STAT_COUNT);
};
static_assert(plat::walkMatchesLayout<PET_RECORD>(PET_RECORD_FIELDS, PET_RECORD_WALK));

// One slot's detail entry: a valid byte and fifteen details.
struct PET_DETAIL {
  uint8_t valid;
  uint32_t details[15];
};

constexpr uint16_t PET_NO_INDEX = 0xFFFF;

struct PET_STATE {
  uint8_t loaded;            // the pet list has arrived
  uint32_t active_id;
  uint16_t active_index;     // PET_NO_INDEX: none
  uint8_t following[PET_COUNT];
  uint8_t some_follows;      // set while some pet follows
  uint32_t count;
  uint8_t pending[PET_COUNT][10];  // point allocations not sent yet
  PET_DETAIL details[PET_COUNT];
};

extern PET_RECORD pet_table[PET_COUNT];
extern PET_STATE pet_state;
// The shown pet's slot; -1: none.
extern int32_t pet_current_index;

// The table and its state empty, as at start.
void pet_state_reset();

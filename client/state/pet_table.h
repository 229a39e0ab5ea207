// The player's pets as the server last described them, in slot order, and the state beside them.
// The pet handlers fill the table; the party and the chat line read it.
#pragma once
#include <cstdint>

#include "client/state/point_allocation.h"
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
  int32_t values[PET_VALUE_COUNT];  // 28..67: the level first; 36 and 44 restored by 0xd0003/4;
                                    // 56, 60 and 64 (values[7..9]) the experience words
  int32_t stats[PET_STAT_COUNT];    // 68..139, the stat block: the first five the derived values
};

// Where the client core reads inside the stat block.
constexpr int32_t PET_DERIVED_VALUES = 5;  // free points and the four attributes: stats[0..4]
constexpr int32_t PET_STAT_LOOK = 10;      // the u16 at 110: the upper half of stats[10]
constexpr int32_t PET_STAT_BYTE_112 = 11;  // the byte at 112: the low byte of stats[11]
constexpr int32_t PET_STAT_VALUE24 = 16;   // the u32 at 132, whose low 24 bits 0xd0006 sets

constexpr plat::FieldSpec PET_RECORD_FIELDS[] = {
    {"id", 0, 4},        {"name", 4, 16},    {"level bits", 20, 2}, {"word 22", 22, 2},
    {"word 24", 24, 4},  {"values", 28, 40}, {"derived", 68, 20},  {"stats", 88, 52},
};
static_assert(plat::checkLayout(PET_RECORD_FIELDS, PET_RECORD_SIZE));
constexpr auto PET_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, PET_NAME_SIZE);
  v.u16(r.level_bits);
  v.u16(r.word_22);
  v.u32(r.word_24);
  v.i32s(r.values, PET_VALUE_COUNT);
  v.i32s(r.stats, PET_DERIVED_VALUES);
  v.i32s(r.stats + PET_DERIVED_VALUES, PET_STAT_COUNT - PET_DERIVED_VALUES);
};
static_assert(plat::walkMatchesLayout<PET_RECORD>(PET_RECORD_FIELDS, PET_RECORD_WALK));

constexpr int32_t PET_DETAIL_WORDS = 15;

// One slot's detail entry: a valid byte and fifteen details.
struct PET_DETAIL {
  uint8_t valid;
  uint32_t details[PET_DETAIL_WORDS];
};

constexpr uint16_t PET_NO_INDEX = 0xFFFF;

struct PET_STATE {
  uint8_t loaded;            // the pet list has arrived
  uint32_t active_id;
  uint16_t active_index;     // PET_NO_INDEX: none
  uint8_t following[PET_COUNT];
  uint8_t some_follows;      // set while some pet follows
  uint32_t count;
  uint8_t pending[PET_COUNT][POINT_ALLOCATION_SIZE];  // point allocations not sent yet
  PET_DETAIL details[PET_COUNT];
};

extern PET_RECORD pet_table[PET_COUNT];
extern PET_STATE pet_state;
// The shown pet's slot; -1: none.
extern int32_t pet_current_index;
// The media object showing the shown pet; -1: none.
extern int32_t pet_shown_media;

// The pet slots the interface lists, in its order.
struct PET_SLOT_LIST {
  int32_t slots[PET_COUNT];
  int32_t count;
};
extern PET_SLOT_LIST pet_slot_list;

// The table and its state empty, as at start.
void pet_state_reset();

// The slot (0..13) holding that non-zero id, else -1.
int32_t pet_index_by_id(uint32_t id);
// The pet count from the filled slots; the active index from the active id (PET_NO_INDEX when no
// slot below the count holds it).
void pet_slots_rebuild();
// Copies the record into the first empty slot: the slot, or -1 when the table is full.
int32_t pet_record_store(const PET_RECORD& record);
// pet_record_store, and on a full table the box "BAOBAO STACK OVERFLOW !!!" (nested frames).
int32_t pet_record_add(const PET_RECORD& record);
// Empties the pet's slot, moves the later pets (records, details, following flags) forward and
// forgets the shown pet. Nothing for an id not in the table.
void pet_record_remove(uint32_t id);

// The constant skill-level table the skills window shows: 8,456 records of 28 bytes, read with
// the record codec at first use. Its bytes are placeholder data (tools/skilltab).
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/bytes.h"

constexpr int32_t SKILL_LEVEL_RECORDS = 8456;
constexpr size_t SKILL_LEVEL_RECORD_SIZE = 28;
constexpr size_t SKILL_LEVEL_TABLE_BYTES = SKILL_LEVEL_RECORDS * SKILL_LEVEL_RECORD_SIZE;

struct SKILL_LEVEL_DATA {
  int32_t level_value;
  int32_t rounds;
  int32_t targets;
  int32_t basic_attack;
  float factor;
  int32_t spare[2];  // not read by the lookup
};
inline constexpr plat::FieldSpec SKILL_LEVEL_FIELDS[] = {
    {"level value", 0, 4}, {"rounds", 4, 4}, {"targets", 8, 4}, {"basic attack", 12, 4},
    {"factor", 16, 4},     {"spare", 20, 8},
};
static_assert(plat::checkLayout(SKILL_LEVEL_FIELDS, SKILL_LEVEL_RECORD_SIZE));

extern const uint8_t skill_level_table_bytes[SKILL_LEVEL_TABLE_BYTES];

// index = skill + 8316 for skills 84..139, else skill x 100 + level - 1; outside the table the
// outs keep their values. Any out may be null.
void skill_level_data_get(int32_t skill, int32_t level, int32_t* level_value, int32_t* rounds, int32_t* targets,
                          int32_t* basic_attack, float* factor);

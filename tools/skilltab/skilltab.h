// The skill-level table's placeholder data. The real values are data of the game that we do not
// have; until they exist these stand in, from a stated formula:
//   skills 0..83, level L (record skill x 100 + L - 1): level value L, rounds 1 + (L - 1) / 34,
//     targets 1 + (L - 1) / 25, basic attack 10 L + skill, factor 114.0 + 0.33 (L - 1) + skill;
//   skills 84..139 (record skill + 8316): 1, 1, 1, 100 + skill - 84, 100.0;
//   the two spare words 0.
#pragma once
#include <cstdint>
#include <vector>

namespace skilltab {

constexpr int32_t RECORDS = 8456;
constexpr int32_t RECORD_SIZE = 28;

struct Record {
  int32_t level_value, rounds, targets, basic_attack;
  float factor;
  int32_t spare[2];
};

Record record(int32_t index);  // index 0..RECORDS - 1
std::vector<uint8_t> table_bytes();  // every record, little-endian

}  // namespace skilltab

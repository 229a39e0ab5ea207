#include "tools/skilltab/skilltab.h"

#include <cstring>

namespace skilltab {

Record record(int32_t index) {
  if (index >= 8400) {
    const int32_t skill = index - 8316;
    return {1, 1, 1, 100 + skill - 84, 100.0f, {0, 0}};
  }
  const int32_t skill = index / 100, level = index % 100 + 1;
  return {level, 1 + (level - 1) / 34, 1 + (level - 1) / 25, 10 * level + skill,
          static_cast<float>(114.0 + 0.33 * (level - 1) + skill), {0, 0}};
}

std::vector<uint8_t> table_bytes() {
  std::vector<uint8_t> out;
  out.reserve(size_t{RECORDS} * RECORD_SIZE);
  const auto put = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  for (int32_t i = 0; i < RECORDS; ++i) {
    const Record r = record(i);
    uint32_t f = 0;
    std::memcpy(&f, &r.factor, 4);
    put(uint32_t(r.level_value)), put(uint32_t(r.rounds)), put(uint32_t(r.targets)), put(uint32_t(r.basic_attack));
    put(f), put(uint32_t(r.spare[0])), put(uint32_t(r.spare[1]));
  }
  return out;
}

}  // namespace skilltab

#include "engine/skill_level/skill_level.h"

#include <memory>

namespace {

constexpr auto walkSkill = [](auto& s, auto& v) {
  v.i32(s.level_value);
  v.i32(s.rounds);
  v.i32(s.targets);
  v.i32(s.basic_attack);
  v.f32(s.factor);
  v.i32s(s.spare, 2);
};
static_assert(plat::walkMatchesLayout<SKILL_LEVEL_DATA>(SKILL_LEVEL_FIELDS, walkSkill));

const SKILL_LEVEL_DATA* table() {
  static const std::unique_ptr<SKILL_LEVEL_DATA[]> records = [] {
    auto out = std::make_unique<SKILL_LEVEL_DATA[]>(SKILL_LEVEL_RECORDS);
    plat::ByteReader r(skill_level_table_bytes, SKILL_LEVEL_TABLE_BYTES);
    for (int32_t i = 0; i < SKILL_LEVEL_RECORDS; ++i) {
      plat::ByteReader rec = r.sub(SKILL_LEVEL_RECORD_SIZE, "skill level");
      plat::readFields(rec, SKILL_LEVEL_FIELDS, out[i], walkSkill);
    }
    return out;
  }();
  return records.get();
}

}  // namespace

void skill_level_data_get(int32_t skill, int32_t level, int32_t* level_value, int32_t* rounds, int32_t* targets,
                          int32_t* basic_attack, float* factor) {
  const int64_t index = skill >= 84 && skill <= 139 ? int64_t{skill} + 8316 : int64_t{skill} * 100 + level - 1;
  if (index < 0 || index >= SKILL_LEVEL_RECORDS) return;
  const SKILL_LEVEL_DATA& d = table()[index];
  if (level_value != nullptr) *level_value = d.level_value;
  if (rounds != nullptr) *rounds = d.rounds;
  if (targets != nullptr) *targets = d.targets;
  if (basic_attack != nullptr) *basic_attack = d.basic_attack;
  if (factor != nullptr) *factor = d.factor;
}

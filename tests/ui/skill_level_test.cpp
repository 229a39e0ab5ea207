// The skill-level lookup over the compiled-in table: the index rule, the range check and the
// values against skilltab's formula.
#include <gtest/gtest.h>

#include "engine/skill_level/skill_level.h"
#include "tools/skilltab/skilltab.h"

namespace {

struct Out {
  int32_t level_value = -7, rounds = -7, targets = -7, basic_attack = -7;
  float factor = -7;
};
Out lookup(int32_t skill, int32_t level) {
  Out o;
  skill_level_data_get(skill, level, &o.level_value, &o.rounds, &o.targets, &o.basic_attack, &o.factor);
  return o;
}
void expect_record(const Out& o, int32_t index, const char* why) {
  const skilltab::Record r = skilltab::record(index);
  EXPECT_EQ(o.level_value, r.level_value) << why;
  EXPECT_EQ(o.rounds, r.rounds) << why;
  EXPECT_EQ(o.targets, r.targets) << why;
  EXPECT_EQ(o.basic_attack, r.basic_attack) << why;
  EXPECT_EQ(o.factor, r.factor) << why;
}

TEST(SkillLevel, Lookup) {
  struct Case {
    int32_t skill, level, index;
    const char* why;
  } cases[] = {
      {84, 7, 8400, "skills 84 and up ignore the level"},
      {84, 1, 8400, "the same record"},
      {139, 55, 8455, "the last record"},
      {83, 100, 8399, "the last levelled record"},
      {0, 1, 0, "the first record"},
      {0, 3, 2, "the third level"},
      {42, 35, 4234, "a middle record"},
  };
  for (const Case& c : cases) expect_record(lookup(c.skill, c.level), c.index, c.why);
  EXPECT_FLOAT_EQ(lookup(0, 2).factor, 114.33f);
  EXPECT_EQ(lookup(84, 1).basic_attack, 100);

  const std::pair<int32_t, int32_t> outside[] = {{0, 0}, {140, 1}, {-1, 50}, {200, 1}, {INT32_MAX, INT32_MAX}};
  for (const auto& [skill, level] : outside) {
    const Out o = lookup(skill, level);
    EXPECT_EQ(o.level_value, -7) << skill << "," << level;
    EXPECT_EQ(o.factor, -7.0f);
  }
  skill_level_data_get(1, 1, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST(SkillLevel, TableMatchesTheFormulaEverywhere) {
  const std::vector<uint8_t> bytes = skilltab::table_bytes();
  ASSERT_EQ(bytes.size(), SKILL_LEVEL_TABLE_BYTES);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), skill_level_table_bytes));
  const skilltab::Record r = skilltab::record(34);  // skill 0, level 35
  EXPECT_EQ(r.rounds, 2);
  EXPECT_EQ(r.targets, 2);
  EXPECT_EQ(r.basic_attack, 350);
}

}  // namespace

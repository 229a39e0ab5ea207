#include "client/state/skill_tables.h"

#include <cstring>

#include "client/res/res_tables.h"
#include "core/reset/module_resets.h"
#include "plat/cp936.h"

SKILL_TABLES skill_tables{};

void skill_tables_reset() {
  skill_tables = SKILL_TABLES{};
  for (uint32_t& w : skill_tables.player) w = SKILL_NONE;
  for (uint16_t& id : skill_tables.pet) id = SKILL_NONE;
}

int32_t player_skill_find(uint16_t id) {
  if (id == SKILL_NONE) return -1;
  for (int32_t i = 0; i < PLAYER_SKILLS; ++i)
    if (skill_word_id(skill_tables.player[i]) == id) return i;
  return -1;
}

int32_t player_skill_rank() {
  int32_t sum = 0;
  for (uint32_t w : skill_tables.player) sum += skill_word_level(w);
  for (int32_t r = 0; r < SKILL_RANKS; ++r)
    if (sum < SKILL_RANK_THRESHOLDS[r]) return r;
  return SKILL_RANKS;
}

std::string skill_name(uint16_t id) {
  for (int32_t i = 0; i < res_skill_count(); ++i) {
    const RES_SKILL_ENTRY* e = res_skill_entry(i);
    if (!e || e->skill_id != id) continue;
    const std::string_view name(e->name, strnlen(e->name, sizeof e->name));
    return std::string(name.substr(0, plat::cp936::wholeLength(name, name.size())));
  }
  return {};
}

static const ModuleReset k_reset("skill tables", skill_tables_reset);

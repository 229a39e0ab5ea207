#include "client/state/quest_tables.h"

#include <initializer_list>

#include "client/res/res_tables.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"

QUEST_STATE quest_state{};

void quest_tables_reset() {
  quest_state = QUEST_STATE{};
  for (auto& table : quest_state.tables)
    for (QUEST_RECORD& r : table) r.range = -1;
  quest_state.selected = -1;
}

int32_t quest_find(uint32_t id, int32_t* table) {
  for (int32_t t : {1, 0}) {
    const int32_t count = quest_state.counts[t];
    for (int32_t i = 0; i < count && i < QUEST_RECORDS; ++i) {
      if (quest_state.tables[t][i].quest.id != id) continue;
      if (table) *table = t;
      return i;
    }
  }
  if (table) *table = -1;
  return -1;
}

namespace {

// The first definition range, in file order, that holds the id; -1 when none does.
int32_t quest_range_of(uint32_t id) {
  for (int32_t i = 0; i < res_quest_count(); ++i) {
    const RES_QUEST_ENTRY* e = res_quest_entry(i);
    if (e && e->first_id <= id && id <= e->last_id) return i;
  }
  return -1;
}

}  // namespace

void quest_store(const QUEST_MESSAGE& quest) {
  int32_t range = quest_range_of(quest.id);
  if (range < 0) {
    if (quest.text[0] == '\0') return;
    if (res_quest_count() == 0) {
      // Without definitions there is no range to fall back on.
      sys_log_printf(1, "quest %u: no quest definitions, not stored", quest.id);
      return;
    }
    range = 0;
  }
  const int32_t t = res_quest_entry(range)->type == 0 ? 1 : 0;
  QUEST_RECORD* table = quest_state.tables[t];
  for (int32_t i = 0; i < QUEST_RECORDS; ++i) {
    QUEST_RECORD& r = table[i];
    if (r.range < 0) {
      r.quest = quest;
      r.range = range;
      r.flag = 0;
      quest_state.counts[t] = i + 1;
      return;
    }
    if (r.quest.id == quest.id) {
      r.quest = quest;
      r.flag = 0;
      return;
    }
  }
}

void quest_remove(uint32_t id) {
  int32_t t = -1;
  const int32_t at = quest_find(id, &t);
  if (at < 0) return;
  QUEST_RECORD* table = quest_state.tables[t];
  int32_t& count = quest_state.counts[t];
  for (int32_t i = at; i + 1 < count && i + 1 < QUEST_RECORDS; ++i) table[i] = table[i + 1];
  const int32_t last = (count < QUEST_RECORDS ? count : QUEST_RECORDS) - 1;
  table[last] = QUEST_RECORD{};
  table[last].range = -1;
  --count;
  // The selected record went: the window's selection and first shown row move back inside the
  // shortened table. Another removal leaves them (the selection may be the other table's).
  if (quest_state.selected != at) return;
  if (quest_state.selected >= count) quest_state.selected = count - 1;
  if (quest_state.scroll >= count) quest_state.scroll = count > 0 ? count - 1 : 0;
}

static const ModuleReset k_reset("quest tables", quest_tables_reset);

#include "client/state/quest_tables.h"

#include "core/reset/module_resets.h"

QUEST_STATE quest_state{};

void quest_tables_reset() {
  quest_state = QUEST_STATE{};
  for (auto& table : quest_state.tables)
    for (QUEST_RECORD& r : table) r.range = -1;
  quest_state.selected = -1;
}

static const ModuleReset k_reset("quest tables", quest_tables_reset);

#include "client/state/title_table.h"

#include "core/reset/module_resets.h"

TITLE_TABLE title_table{};

void title_records_reset() {
  for (TITLE_RECORD& r : title_table.records) {
    r.name[0] = '\0';
    r.description[0] = '\0';
    r.id = 0;
  }
}

int32_t title_add(const TITLE_RECORD& record) {
  for (int32_t i = 0; i < TITLE_RECORDS; ++i) {
    if (title_table.records[i].id != 0) continue;
    title_table.records[i] = record;
    return i;
  }
  return -1;
}

int32_t title_index_by_id(uint16_t id) {
  if (id == 0) return -1;  // the mark of a free record, not a title
  for (int32_t i = 0; i < TITLE_RECORDS; ++i)
    if (title_table.records[i].id == id) return i;
  return -1;
}

static const ModuleReset k_reset("title table", [] { title_table = TITLE_TABLE{}; });

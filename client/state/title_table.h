// The player's titles as the server last listed them: 18 records of 70 bytes, filled by the title
// list messages and read by the title window and its tooltips.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/bytes.h"

constexpr int TITLE_RECORDS = 18;
constexpr size_t TITLE_RECORD_SIZE = 70;
constexpr size_t TITLE_NAME_SIZE = 27;         // NUL-terminated within the field
constexpr size_t TITLE_DESCRIPTION_SIZE = 41;  // NUL-terminated within the field

struct TITLE_RECORD {
  char name[TITLE_NAME_SIZE];
  char description[TITLE_DESCRIPTION_SIZE];
  uint16_t id;  // 0: a free record
};

constexpr plat::FieldSpec TITLE_RECORD_FIELDS[] = {
    {"name", 0, 27},
    {"description", 27, 41},
    {"id", 68, 2},
};
static_assert(plat::checkLayout(TITLE_RECORD_FIELDS, TITLE_RECORD_SIZE));
constexpr auto TITLE_RECORD_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, TITLE_NAME_SIZE);
  v.bytes(r.description, TITLE_DESCRIPTION_SIZE);
  v.u16(r.id);
};
static_assert(plat::walkMatchesLayout<TITLE_RECORD>(TITLE_RECORD_FIELDS, TITLE_RECORD_WALK));

struct TITLE_TABLE {
  TITLE_RECORD records[TITLE_RECORDS];
  uint8_t list_loaded;  // a title list has arrived
};
extern TITLE_TABLE title_table;

// Each record's name, description and id cleared (the start-up's title data step).
void title_records_reset();
// Into the first free record; nothing when all 18 are used. The index used, or -1.
int32_t title_add(const TITLE_RECORD& record);
// The index (0..17) of the used record with that id, or -1 (its low half 0xFFFF) when none has it.
int32_t title_index_by_id(uint16_t id);

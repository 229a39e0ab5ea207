// Item definitions: the records of the item table, looked up by item id.
#pragma once
#include <cstddef>
#include <cstdint>

// The table's record: a 20-byte head and a 252-byte body.
constexpr size_t ITEM_DEF_SIZE = 272;
// A carried byte of the body (body offset 168) holding item flags.
constexpr size_t ITEM_DEF_FLAG_BYTE = 188;
constexpr uint8_t ITEM_FLAG_MAILABLE = 0x20;

// The fields read so far, decoded from the record.
struct ITEM_DEF {
  uint32_t id = 0;       // offset 0
  uint8_t flags = 0;     // offset ITEM_DEF_FLAG_BYTE
};

// The definition of item_id, or nullptr. No table is loaded yet, so every lookup finds nothing.
const ITEM_DEF* item_find_def(uint32_t item_id);

// Tests: a lookup used in place of the table (nullptr restores the table).
using ItemFindDefFn = const ITEM_DEF* (*)(uint32_t item_id);
void item_find_def_override(ItemFindDefFn lookup);

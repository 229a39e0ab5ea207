#include "items/item_def/item_def.h"

namespace {
ItemFindDefFn g_override = nullptr;
}

const ITEM_DEF* item_find_def(uint32_t item_id) {
  if (g_override) return g_override(item_id);
  return nullptr;
}

void item_find_def_override(ItemFindDefFn lookup) { g_override = lookup; }

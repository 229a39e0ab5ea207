#include "client/common/item_flags.h"
#include "items/item_def/item_def.h"

bool item_flag_check(uint32_t item_id) {
  const ITEM_DEF* def = item_find_def(item_id);
  return def && (def->flags & ITEM_FLAG_MAILABLE) != 0;
}

#include "items/bag/item_lock.h"

#include "core/reset/module_resets.h"

uint8_t item_lock_mode = 0;

static const ModuleReset k_reset("item lock mode", [] { item_lock_mode = 0; });

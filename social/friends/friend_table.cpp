#include "social/friends/friend_table.h"

#include <cstring>

#include "core/reset/module_resets.h"

FRIEND_RECORD friend_table[FRIEND_RECORDS] = {};
int32_t friend_count = 0;

void friend_table_reset() {
  std::memset(friend_table, 0, sizeof friend_table);
  friend_count = 0;
}

static const ModuleReset k_reset("friend table", friend_table_reset);

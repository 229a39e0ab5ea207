// Item definition flags the client core asks about.
#pragma once
#include <cstdint>

// True when the item's definition allows mailing it; false for an unknown item.
bool item_flag_check(uint32_t item_id);

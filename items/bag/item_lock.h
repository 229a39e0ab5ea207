// The bag's item-lock mode: set while the pointer carries the item-use (or lock) cursor. Using an
// item on a pet sends only while it is set; the game screen clears it when the bag closes.
#pragma once
#include <cstdint>

extern uint8_t item_lock_mode;

// Shared by the WINFONT sources only.
#pragma once
#include "engine/winfont/winfont.h"

WINFONT_STATE& winfont_mutable_state();

// Cell side of a font slot (12, 16, 20, 24, 28, 32).
inline int32_t winfont_cell(int32_t slot) { return 12 + 4 * slot; }

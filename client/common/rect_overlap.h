// Rectangles as x0, y0, x1, y1 with x1 and y1 exclusive.
#pragma once
#include <cstdint>

// True when each rectangle starts before the other ends on both axes; rectangles that only touch
// do not overlap.
bool rect_overlap_test(const int32_t a[4], const int32_t b[4]);

// A row blended at a falling level: the soft edge of the screen wipe.
#pragma once
#include <cstdint>

// dst[i] = src[i] blended over under[i] at level first_level - i, for i in [0, n), exactly as the
// installed blend slot (pixel_ops.blend) gives it; levels stay in 0..255. The fixed families run
// eight pixels at a time. dst may be under.
void pixel_blend_ramp(const uint16_t* src, const uint16_t* under, uint16_t* dst, int32_t n, int32_t first_level);

// Nearest-pixel copy of a source rectangle into a destination rectangle of any size (the zoom
// transition and the full-screen film).
#pragma once
#include <cstdint>

#include "graphics/bitmap/bitmap16.h"

// Draws nothing unless both bitmaps exist and all four sizes are positive. The destination
// rectangle is clipped to the destination bitmap; the steps (source size / destination size) are
// single precision and accumulated by addition from the rectangle's unclipped first column and
// row, so clipping never changes which source pixel a destination pixel shows. Source positions
// are kept inside the source rectangle and the source bitmap.
void gfx16_blit_scaled(int32_t dx, int32_t dy, int32_t dw, int32_t dh, BITMAP16* destination, int32_t sx, int32_t sy,
                       int32_t sw, int32_t sh, BITMAP16* source);

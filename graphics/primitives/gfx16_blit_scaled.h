// Nearest-pixel scaling of one bitmap's rectangle into another's (the zoom and the film player).
#pragma once
#include <cstdint>

struct BITMAP16;

// The source rectangle (sx, sy, sw, sh) drawn into the destination rectangle (dx, dy, dw, dh).
// Nothing is drawn for a null bitmap or a size below 1; the destination rectangle is clipped to
// its bitmap. Steps are single precision and accumulate by addition, one column table per call.
void gfx16_blit_scaled(BITMAP16* src, int sx, int sy, int sw, int sh, BITMAP16* dst, int dx, int dy, int dw,
                       int dh);

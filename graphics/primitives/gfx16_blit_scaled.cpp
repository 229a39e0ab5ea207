#include "graphics/primitives/gfx16_blit_scaled.h"

#include <vector>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/blit_clip.h"

void gfx16_blit_scaled(BITMAP16* src, int sx, int sy, int sw, int sh, BITMAP16* dst, int dx, int dy, int dw,
                       int dh) {
  if (!src || !dst || sw < 1 || sh < 1 || dw < 1 || dh < 1) return;
  BlitClip c;
  if (!blit_clip_block(dx, dy, dw, dh, dst->width, dst->height, c)) return;
  // Positions accumulate from the unclipped corner, so a clipped edge keeps the same mapping.
  const float step_x = static_cast<float>(sw) / static_cast<float>(dw);
  const float step_y = static_cast<float>(sh) / static_cast<float>(dh);
  std::vector<int32_t> column(static_cast<size_t>(c.w));
  float acc = 0.0f;
  for (int32_t i = 0; i < c.source_x + c.w; ++i) {
    if (i >= c.source_x) column[static_cast<size_t>(i - c.source_x)] = sx + static_cast<int32_t>(acc);
    acc += step_x;
  }
  const int64_t src_w = src->width, src_h = src->height;
  acc = 0.0f;
  for (int32_t j = 0; j < c.source_y + c.h; ++j) {
    const int64_t row = sy + static_cast<int64_t>(acc);
    acc += step_y;
    if (j < c.source_y || row < 0 || row >= src_h) continue;
    const uint16_t* s = src->rows[row];
    uint16_t* d = dst->rows[c.y + j - c.source_y] + c.x;
    // Source pixels outside the bitmap are left undrawn.
    for (int32_t i = 0; i < c.w; ++i) {
      const int32_t col = column[static_cast<size_t>(i)];
      if (col >= 0 && col < src_w) d[i] = s[col];
    }
  }
}

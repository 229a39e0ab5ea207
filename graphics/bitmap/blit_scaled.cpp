// Nearest-pixel scaled blit with a column table per call.
#include "graphics/bitmap/blit_scaled.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/cpu/gather_row.h"

namespace {

// The accumulated position after n steps, added one by one as the drawn part does; past 2^20
// steps (a rectangle far off the bitmap) a product, where single precision has stopped moving
// anyway.
float skipped(int64_t n, float step) {
  if (n > (int64_t{1} << 20)) return static_cast<float>(n) * step;
  float acc = 0.0f;
  for (int64_t i = 0; i < n; ++i) acc += step;
  return acc;
}

}  // namespace

void gfx16_blit_scaled(int32_t dx, int32_t dy, int32_t dw, int32_t dh, BITMAP16* destination, int32_t sx, int32_t sy,
                       int32_t sw, int32_t sh, BITMAP16* source) {
  if (!destination || !source || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (source->width == 0 || source->height == 0) return;
  const int64_t left = std::max<int64_t>(dx, 0);
  const int64_t top = std::max<int64_t>(dy, 0);
  const int64_t right = std::min<int64_t>(static_cast<int64_t>(dx) + dw, destination->width);
  const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(dy) + dh, destination->height);
  if (right <= left || bottom <= top) return;

  const float step_x = static_cast<float>(sw) / static_cast<float>(dw);
  const float step_y = static_cast<float>(sh) / static_cast<float>(dh);
  // Accumulated rounding may step past the rectangle's last pixel; a rectangle may also reach
  // past the source bitmap. Both are kept inside.
  const int64_t first_col = std::clamp<int64_t>(sx, 0, source->width - 1);
  const int64_t last_col = std::clamp<int64_t>(static_cast<int64_t>(sx) + sw - 1, first_col, source->width - 1);
  const int64_t first_row = std::clamp<int64_t>(sy, 0, source->height - 1);
  const int64_t last_row = std::clamp<int64_t>(static_cast<int64_t>(sy) + sh - 1, first_row, source->height - 1);
  auto col_of = [&](float acc) { return std::clamp<int64_t>(sx + static_cast<int64_t>(acc), first_col, last_col); };
  auto row_of = [&](float acc) { return std::clamp<int64_t>(sy + static_cast<int64_t>(acc), first_row, last_row); };

  // Source columns fit 16 bits (widths are at most 16,384).
  std::vector<uint16_t> columns(static_cast<size_t>(right - left));
  float acc = skipped(left - dx, step_x);
  for (uint16_t& col : columns) {
    col = static_cast<uint16_t>(col_of(acc));
    acc += step_x;
  }
  const size_t n = columns.size();
  float row_acc = skipped(top - dy, step_y);
  const uint16_t* previous_source = nullptr;
  const uint16_t* previous_row = nullptr;
  for (int64_t ty = top; ty < bottom; ++ty) {
    const uint16_t* src = source->rows[row_of(row_acc)];
    uint16_t* dst = destination->rows[ty] + left;
    row_acc += step_y;
    if (src == previous_source) {
      // The same source row again: the row just made is copied.
      std::memcpy(dst, previous_row, n * sizeof(uint16_t));
    } else {
      gfx16_gather_row(dst, src, columns.data(), n);
    }
    previous_source = src;
    previous_row = dst;
  }
}

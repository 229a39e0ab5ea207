// Nearest-pixel stretch with single-precision steps accumulated by repeated addition.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/cpu/gather_row.h"
#include "graphics/cpu/mmx.h"

void bitmap16_stretch(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* target) {
  if (!source || !target || w <= 0 || h <= 0 || source->width == 0 || source->height == 0) return;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + w, target->width);
  const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + h, target->height);
  if (right <= left || bottom <= top) return;

  const float sx = static_cast<float>(source->width) / static_cast<float>(w);
  const float sy = static_cast<float>(source->height) / static_cast<float>(h);
  // Accumulated rounding can reach the source's width or height on the last step: kept inside.
  const auto last_col = static_cast<int64_t>(source->width) - 1;
  const auto last_row = static_cast<int64_t>(source->height) - 1;

  // Source columns fit 16 bits (widths are at most 16,384).
  std::vector<uint16_t> columns(static_cast<size_t>(right - left));
  float acc = static_cast<float>(left - x) * sx;
  for (uint16_t& col : columns) {
    col = static_cast<uint16_t>(std::min<int64_t>(static_cast<int64_t>(acc), last_col));
    acc += sx;
  }
  const size_t n = columns.size();
  const uint16_t* previous_source = nullptr;
  const uint16_t* previous_row = nullptr;
  float row_acc = static_cast<float>(top - y) * sy;
  for (int64_t ty = top; ty < bottom; ++ty) {
    const uint16_t* src = source->rows[std::min<int64_t>(static_cast<int64_t>(row_acc), last_row)];
    uint16_t* dst = target->rows[ty] + left;
    row_acc += sy;
    if (src == previous_source) {
      // The same source row again: the row just made is copied.
      std::memmove(dst, previous_row, n * sizeof(uint16_t));
    } else {
      gfx16_gather_row(dst, src, columns.data(), n);
    }
    previous_source = src;
    previous_row = dst;
  }
}

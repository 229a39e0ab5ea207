// Nearest-pixel stretch with single-precision steps accumulated by repeated addition.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/bitmap/bitmap16.h"
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

  std::vector<uint32_t> columns(static_cast<size_t>(right - left));
  float acc = static_cast<float>(left - x) * sx;
  for (uint32_t& col : columns) {
    col = static_cast<uint32_t>(std::min<int64_t>(static_cast<int64_t>(acc), last_col));
    acc += sx;
  }
  float row_acc = static_cast<float>(top - y) * sy;
  for (int64_t ty = top; ty < bottom; ++ty) {
    const uint16_t* src = source->rows[std::min<int64_t>(static_cast<int64_t>(row_acc), last_row)];
    uint16_t* dst = target->rows[ty] + left;
    for (size_t i = 0; i < columns.size(); ++i) dst[i] = src[columns[i]];
    row_acc += sy;
  }
}

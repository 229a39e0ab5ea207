#include "graphics/primitives/bitmap8.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "graphics/primitives/gfx_block.h"

namespace {
constexpr int32_t kMaxSize = 16384;
}  // namespace

BITMAP8* bitmap8_create(int32_t width, int32_t height) {
  // Sizes are checked first and the block is sized in 64 bits, so no product wraps.
  if (width < 0 || height < 0 || width > kMaxSize || height > kMaxSize) return nullptr;
  const size_t stride = (static_cast<size_t>(width) + 3) & ~size_t{3};
  const size_t h = static_cast<size_t>(height);
  const size_t head = offsetof(BITMAP8, rows) + h * sizeof(uint8_t*);
  auto* bm = static_cast<BITMAP8*>(gfx_block_alloc(head + stride * h));
  if (!bm) return nullptr;
  bm->width = static_cast<uint32_t>(width);
  bm->height = static_cast<uint32_t>(height);
  auto* base = reinterpret_cast<uint8_t*>(bm) + head;
  for (size_t i = 0; i < h; ++i) bm->rows[i] = base + i * stride;
  return bm;
}

void bitmap8_free(BITMAP8** holder) {
  if (!holder) return;
  gfx_block_free(*holder);
  *holder = nullptr;
}

void bitmap8_clear(BITMAP8* bitmap) {
  if (!bitmap) return;
  const uint32_t stride = bitmap8_stride(bitmap);
  for (uint32_t y = 0; y < bitmap->height; ++y) std::memset(bitmap->rows[y], 0, stride);
}

int32_t bitmap8_copy_rect(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP8* destination,
                          const BITMAP8* source) {
  if (!destination || !source || width < 0 || height < 0) return 0;
  const int64_t rounded = (int64_t{width} + 3) & ~int64_t{3};
  // The destination's rows keep their memory: the block must fit what they hold.
  if (rounded > bitmap8_stride(destination) || height > static_cast<int64_t>(destination->height)) return 0;
  destination->width = static_cast<uint32_t>(rounded);
  destination->height = static_cast<uint32_t>(height);
  for (int32_t i = 0; i < height; ++i) {
    const int64_t sy = int64_t{y} + i;
    if (sy < 0 || sy >= source->height) continue;
    const int64_t from = std::max<int64_t>(x, 0), to = std::min<int64_t>(int64_t{x} + rounded, bitmap8_stride(source));
    if (to > from) std::memcpy(destination->rows[i] + (from - x), source->rows[sy] + from, static_cast<size_t>(to - from));
  }
  return static_cast<int32_t>(rounded);
}

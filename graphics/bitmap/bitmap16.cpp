// Allocation, views and whole-bitmap operations of BITMAP16 and BITMAP16A.
#include "graphics/bitmap/bitmap16.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/reset/module_resets.h"

namespace {

int alloc_fail_countdown = 0;

// Sizes come from files later on, so they are checked and computed in size_t: a width or
// height outside 0..16384 gives no block.
bool size_ok(int32_t width, int32_t height) {
  return width >= 0 && height >= 0 && width <= BITMAP16_MAX_SIZE && height <= BITMAP16_MAX_SIZE;
}

size_t round4(int32_t width) { return (static_cast<size_t>(width) + 3) & ~static_cast<size_t>(3); }

void* zeroed_block(size_t bytes) {
  if (alloc_fail_countdown > 0 && --alloc_fail_countdown == 0) return nullptr;
  return std::calloc(1, bytes);
}

// One block: header, row pointers, then height rows of pitch bytes.
template <class Bitmap, class Row>
Bitmap* make_block(int32_t width, int32_t height, size_t pitch, bool with_pixels) {
  if (!size_ok(width, height)) return nullptr;
  const size_t h = static_cast<size_t>(height);
  const size_t head = offsetof(Bitmap, rows) + h * sizeof(Row);
  auto* bm = static_cast<Bitmap*>(zeroed_block(head + (with_pixels ? pitch * h : 0)));
  if (!bm) return nullptr;
  bm->width = static_cast<uint32_t>(width);
  bm->height = static_cast<uint32_t>(height);
  bm->pitch = static_cast<uint32_t>(pitch);
  if (with_pixels) {
    auto* base = reinterpret_cast<uint8_t*>(bm) + head;
    for (size_t i = 0; i < h; ++i) bm->rows[i] = reinterpret_cast<Row>(base + i * pitch);
  }
  return bm;
}

// Both kinds are one block, freed and cleared alike.
template <class Bitmap>
Bitmap** free_block(Bitmap** holder) {
  if (holder) {
    std::free(*holder);
    *holder = nullptr;
  }
  return holder;
}

template <class Bitmap>
void clear_rows(Bitmap* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = bitmap->height; y-- > 0;) std::memset(bitmap->rows[y], 0, bitmap->pitch);
}

// Copies the pixels of source row sy from column sx on into dst (count pixels); columns outside
// 0..limit of the source, or a row outside it, are left as they are.
void copy_clipped_row(uint16_t* dst, BITMAP16* source, int64_t sx, int64_t sy, int64_t count, int64_t limit) {
  if (sy < 0 || sy >= static_cast<int64_t>(source->height)) return;
  const int64_t from = std::max<int64_t>(sx, 0);
  const int64_t to = std::min<int64_t>(sx + count, limit);
  if (to <= from) return;
  std::memcpy(dst + (from - sx), source->rows[sy] + from, static_cast<size_t>(to - from) * 2);
}

}  // namespace

void bitmap_alloc_fail_at(int n) { alloc_fail_countdown = n; }

BITMAP16* bitmap16_create(int32_t width, int32_t height) {
  if (!size_ok(width, height)) return nullptr;
  return make_block<BITMAP16, uint16_t*>(width, height, round4(width) * 2, true);
}

BITMAP16** bitmap16_free(BITMAP16** holder) { return free_block(holder); }

BITMAP16* bitmap16_create_view(int32_t width, int32_t height) {
  if (!size_ok(width, height)) return nullptr;
  return make_block<BITMAP16, uint16_t*>(width, height, static_cast<size_t>(width) * 2, false);
}

BITMAP16* bitmap16_view_rect(BITMAP16* source, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!source || x < 0 || y < 0 || !size_ok(width, height)) return nullptr;
  if (static_cast<int64_t>(x) + width > source->width || static_cast<int64_t>(y) + height > source->height) {
    return nullptr;
  }
  BITMAP16* view = make_block<BITMAP16, uint16_t*>(width, height, source->pitch, false);
  if (!view) return nullptr;
  for (int32_t i = 0; i < height; ++i) view->rows[i] = source->rows[y + i] + x;
  return view;
}

BITMAP16A* bitmap16a_create(int32_t width, int32_t height) {
  if (!size_ok(width, height)) return nullptr;
  return make_block<BITMAP16A, uint8_t*>(width, height, round4(width) * 3, true);
}

BITMAP16A** bitmap16a_free(BITMAP16A** holder) { return free_block(holder); }

void bitmap16_clear(BITMAP16* bitmap) { clear_rows(bitmap); }

void bitmap16a_clear(BITMAP16A* bitmap) { clear_rows(bitmap); }

void bitmap16_clear_pixels(BITMAP16* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) std::memset(bitmap->rows[y], 0, bitmap->width * 2u);
}

void bitmap16a_clear_alpha(BITMAP16A* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) std::memset(bitmap16a_alpha(bitmap, y), 0, bitmap->width);
}

void bitmap16_fill(BITMAP16* bitmap, uint16_t colour) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) std::fill_n(bitmap->rows[y], bitmap->width, colour);
}

// Copies a full pitch from pixel x where the source has those pixels and leaves the rest zero
// (a plain full-pitch copy read past the source row and past its last row).
BITMAP16* bitmap16_cut(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP16* source) {
  if (!source) return nullptr;
  BITMAP16* cut = bitmap16_create(width, height);
  if (!cut) return nullptr;
  const int64_t count = cut->pitch / 2;
  for (int32_t i = 0; i < height; ++i) {
    copy_clipped_row(cut->rows[i], source, x, static_cast<int64_t>(y) + i, count, source->width);
  }
  return cut;
}

BITMAP16A* bitmap16a_cut(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP16A* source) {
  if (!source) return nullptr;
  BITMAP16A* cut = bitmap16a_create(width, height);
  if (!cut) return nullptr;
  const int64_t from = std::max<int64_t>(x, 0);
  const int64_t to = std::min<int64_t>(static_cast<int64_t>(x) + width, source->width);
  for (int32_t i = 0; i < height && to > from; ++i) {
    const int64_t sy = static_cast<int64_t>(y) + i;
    if (sy < 0 || sy >= static_cast<int64_t>(source->height)) continue;
    const auto n = static_cast<size_t>(to - from);
    std::memcpy(bitmap16a_pixels(cut, static_cast<uint32_t>(i)) + (from - x),
                bitmap16a_pixels(source, static_cast<uint32_t>(sy)) + from, n * 2);
    std::memcpy(bitmap16a_alpha(cut, static_cast<uint32_t>(i)) + (from - x),
                bitmap16a_alpha(source, static_cast<uint32_t>(sy)) + from, n);
  }
  return cut;
}

// The block is clipped to the source rows (pitch included) and to the destination's rows and
// pitch; the destination never claims more rows or columns than it has.
int32_t gfx16_copy_rect(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP16* destination,
                        BITMAP16* source) {
  if (!destination || !source || width < 0 || height < 0) return 0;
  const auto rounded = static_cast<int64_t>(round4(std::min(width, BITMAP16_MAX_SIZE)));
  const int64_t cols = std::min<int64_t>(rounded, destination->pitch / 2);
  const int64_t rows = std::min<int64_t>(height, destination->height);
  destination->width = static_cast<uint32_t>(cols);
  destination->height = static_cast<uint32_t>(rows);
  for (int64_t i = 0; i < rows; ++i) {
    copy_clipped_row(destination->rows[i], source, x, y + i, cols, source->pitch / 2);
  }
  return static_cast<int32_t>(cols);
}

void bitmap16_mirror_x(BITMAP16* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) std::reverse(bitmap->rows[y], bitmap->rows[y] + bitmap->width);
}

void bitmap16_flip_y(BITMAP16* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height / 2; ++y) {
    std::swap_ranges(bitmap->rows[y], bitmap->rows[y] + bitmap->width, bitmap->rows[bitmap->height - 1 - y]);
  }
}

void bitmap16a_mirror_x(BITMAP16A* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) {
    uint16_t* px = bitmap16a_pixels(bitmap, y);
    uint8_t* alpha = bitmap16a_alpha(bitmap, y);
    std::reverse(px, px + bitmap->width);
    std::reverse(alpha, alpha + bitmap->width);
  }
}

void bitmap16a_flip_y(BITMAP16A* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height / 2; ++y) {
    const uint32_t other = bitmap->height - 1 - y;
    std::swap_ranges(bitmap16a_pixels(bitmap, y), bitmap16a_pixels(bitmap, y) + bitmap->width,
                     bitmap16a_pixels(bitmap, other));
    std::swap_ranges(bitmap16a_alpha(bitmap, y), bitmap16a_alpha(bitmap, y) + bitmap->width,
                     bitmap16a_alpha(bitmap, other));
  }
}

static const ModuleReset k_reset("bitmap allocation failures", [] { bitmap_alloc_fail_at(0); });

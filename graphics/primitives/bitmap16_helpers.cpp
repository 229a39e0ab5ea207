#include "graphics/primitives/bitmap16_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx_block.h"

namespace {

// The per-type pieces, so that one routine serves both kinds of bitmap. A BITMAP16 pixel that
// is not 0 counts as opaque.
uint8_t coverage(const BITMAP16* b, uint32_t x, uint32_t y) { return b->rows[y][x] != 0 ? 255 : 0; }
uint8_t coverage(const BITMAP16A* b, uint32_t x, uint32_t y) {
  return bitmap16a_alpha(const_cast<BITMAP16A*>(b), y)[x];
}
void plot(BITMAP16* b, int64_t x, int64_t y, uint16_t colour, uint8_t) { b->rows[y][x] = colour; }
void plot(BITMAP16A* b, int64_t x, int64_t y, uint16_t colour, uint8_t alpha) {
  bitmap16a_pixels(b, static_cast<uint32_t>(y))[x] = colour;
  bitmap16a_alpha(b, static_cast<uint32_t>(y))[x] = alpha;
}
BITMAP16* create_like(const BITMAP16*, int32_t w, int32_t h) { return bitmap16_create(w, h); }
BITMAP16A* create_like(const BITMAP16A*, int32_t w, int32_t h) { return bitmap16a_create(w, h); }

template <class Bitmap>
bool find_bounds(const Bitmap* bitmap, const GFX_RECT& limits, GFX_RECT* out) {
  if (!bitmap || !out) return false;
  const int64_t x0 = std::max<int64_t>(limits.left, 0), x1 = std::min<int64_t>(limits.right, bitmap->width);
  const int64_t y0 = std::max<int64_t>(limits.top, 0), y1 = std::min<int64_t>(limits.bottom, bitmap->height);
  int64_t left = x1, right = x0 - 1, top = y1, bottom = y0 - 1;
  for (int64_t y = y0; y < y1; ++y) {
    for (int64_t x = x0; x < x1; ++x) {
      if (coverage(bitmap, static_cast<uint32_t>(x), static_cast<uint32_t>(y)) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < left) return false;
  *out = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right + 1),
          static_cast<int32_t>(bottom + 1)};
  return true;
}

GFX_RECT whole(uint32_t w, uint32_t h) { return {0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)}; }

// n pixels (and alphas) of row from_y at from_x into row to_y at column 0.
void copy_span(BITMAP16* to, uint32_t to_y, const BITMAP16* from, uint32_t from_y, uint32_t from_x, size_t n) {
  std::memcpy(to->rows[to_y], from->rows[from_y] + from_x, n * 2);
}
void copy_span(BITMAP16A* to, uint32_t to_y, const BITMAP16A* from, uint32_t from_y, uint32_t from_x, size_t n) {
  auto* src = const_cast<BITMAP16A*>(from);
  std::memcpy(bitmap16a_pixels(to, to_y), bitmap16a_pixels(src, from_y) + from_x, n * 2);
  std::memcpy(bitmap16a_alpha(to, to_y), bitmap16a_alpha(src, from_y) + from_x, n);
}

template <class Bitmap>
Bitmap* crop(const Bitmap* bitmap, int32_t* offset_x, int32_t* offset_y) {
  if (!bitmap) return nullptr;
  GFX_RECT r;
  if (!find_bounds(bitmap, whole(bitmap->width, bitmap->height), &r)) {
    *offset_x = *offset_y = 0;
    return create_like(bitmap, 2, 2);
  }
  Bitmap* out = create_like(bitmap, r.right - r.left, r.bottom - r.top);
  if (!out) return nullptr;
  const size_t w = static_cast<size_t>(r.right - r.left);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    copy_span(out, static_cast<uint32_t>(y - r.top), bitmap, static_cast<uint32_t>(y), static_cast<uint32_t>(r.left), w);
  }
  *offset_x = r.left;
  *offset_y = r.top;
  return out;
}

}  // namespace

bool bitmap16_find_bounds(const BITMAP16* bitmap, const GFX_RECT& limits, GFX_RECT* out) {
  return find_bounds(bitmap, limits, out);
}

bool bitmap16a_find_bounds(const BITMAP16A* bitmap, const GFX_RECT& limits, GFX_RECT* out) {
  return find_bounds(bitmap, limits, out);
}

BITMAP16* bitmap16_crop(const BITMAP16* bitmap, int32_t* offset_x, int32_t* offset_y) {
  return crop(bitmap, offset_x, offset_y);
}

BITMAP16A* bitmap16a_crop(const BITMAP16A* bitmap, int32_t* offset_x, int32_t* offset_y) {
  return crop(bitmap, offset_x, offset_y);
}

double bitmap16_transparent_share(const BITMAP16* bitmap) {
  if (!bitmap || bitmap->width == 0 || bitmap->height == 0) return 0;
  uint64_t zeros = 0;
  for (uint32_t y = 0; y < bitmap->height; ++y) {
    for (uint32_t x = 0; x < bitmap->width; ++x) zeros += bitmap->rows[y][x] == 0;
  }
  return static_cast<double>(zeros) / (static_cast<double>(bitmap->width) * bitmap->height);
}

void bitmap16_foot_point(const BITMAP16* bitmap, int32_t* x, int32_t* y) {
  *x = bitmap ? static_cast<int32_t>(bitmap->width / 2) : 0;
  *y = 0;
  if (!bitmap) return;
  int64_t sum = 0, columns = 0;
  for (uint32_t col = 0; col < bitmap->width; ++col) {
    for (uint32_t row = bitmap->height; row-- > 0;) {
      if (bitmap->rows[row][col] != 0) {
        sum += row;
        ++columns;
        break;
      }
    }
  }
  if (columns > 0) *y = static_cast<int32_t>(std::llround(static_cast<double>(sum) / static_cast<double>(columns)));
}

int bitmap16_set_pixels(BITMAP16* bitmap, const uint16_t* words, int32_t width, int32_t height) {
  if (!bitmap || !words || width < 0 || height < 0) return -1;
  const int64_t rounded = (int64_t{width} + 3) & ~int64_t{3};
  // The rows already allocated must hold the new size.
  if (height > static_cast<int64_t>(bitmap->height) || rounded * 2 > bitmap->pitch) return -1;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(bitmap->rows[y], words + static_cast<size_t>(y) * width, static_cast<size_t>(width) * 2);
  }
  bitmap->width = static_cast<uint32_t>(rounded);
  bitmap->height = static_cast<uint32_t>(height);
  return 0;
}

namespace {

// Where source pixel (x, y) of a w x h picture lands in the shadow.
void shear(int64_t x, int64_t y, int64_t w, int64_t h, int64_t sx, int64_t sy, int64_t* nx, int64_t* ny) {
  *nx = x + sx * (h - 1 - y) / h + (sx < 0 ? -sx : 0);
  *ny = y + sy * x / w + (sy < 0 ? -sy : 0);
}

bool shadow_size(uint32_t w, uint32_t h, int32_t sx, int32_t sy, int32_t* nw, int32_t* nh) {
  const int64_t W = int64_t{w} + std::abs(int64_t{sx}), H = int64_t{h} + std::abs(int64_t{sy});
  if (w == 0 || h == 0 || W > BITMAP16_MAX_SIZE || H > BITMAP16_MAX_SIZE) return false;
  *nw = static_cast<int32_t>(W);
  *nh = static_cast<int32_t>(H);
  return true;
}

template <class Bitmap>
Bitmap* silhouette(const Bitmap* source, int32_t shear_x, int32_t shear_y) {
  int32_t nw = 0, nh = 0;
  if (!source || !shadow_size(source->width, source->height, shear_x, shear_y, &nw, &nh)) return nullptr;
  Bitmap* out = create_like(source, nw, nh);
  if (!out) return nullptr;
  const uint16_t red = pixel_ops.pack(255, 0, 0);
  for (uint32_t y = 0; y < source->height; ++y) {
    for (uint32_t x = 0; x < source->width; ++x) {
      const uint8_t a = coverage(source, x, y);
      if (a == 0) continue;
      int64_t nx, ny;
      shear(x, y, source->width, source->height, shear_x, shear_y, &nx, &ny);
      plot(out, nx, ny, red, a);
    }
  }
  return out;
}

}  // namespace

BITMAP16* bitmap16_silhouette(const BITMAP16* source, int32_t shear_x, int32_t shear_y) {
  return silhouette(source, shear_x, shear_y);
}

BITMAP16A* bitmap16a_silhouette(const BITMAP16A* source, int32_t shear_x, int32_t shear_y) {
  return silhouette(source, shear_x, shear_y);
}

BITMAP16A* bitmap16a_from_arrays(int32_t width, int32_t height, const uint16_t* pixels, const uint8_t* alphas) {
  if (!pixels || !alphas) return nullptr;
  BITMAP16A* out = bitmap16a_create(width, height);
  if (!out) return nullptr;
  const size_t w = static_cast<size_t>(width);
  for (uint32_t y = 0; y < out->height; ++y) {
    std::memcpy(bitmap16a_pixels(out, y), pixels + y * w, w * 2);
    std::memcpy(bitmap16a_alpha(out, y), alphas + y * w, w);
  }
  return out;
}

BITMAP16A* bitmap16a_make(const BITMAP16* source) {
  if (!source) return nullptr;
  BITMAP16A* out = bitmap16a_create(static_cast<int32_t>(source->width), static_cast<int32_t>(source->height));
  if (!out) return nullptr;
  for (uint32_t y = 0; y < out->height; ++y) {
    uint16_t* p = bitmap16a_pixels(out, y);
    uint8_t* a = bitmap16a_alpha(out, y);
    for (uint32_t x = 0; x < out->width; ++x) {
      p[x] = source->rows[y][x];
      a[x] = p[x] != 0 ? 255 : 0;
    }
  }
  return out;
}

void bitmap16a_copy_to(int32_t x, int32_t y, const BITMAP16A* source, BITMAP16A* destination) {
  if (!source || !destination) return;
  auto* src = const_cast<BITMAP16A*>(source);
  const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t{x} + source->width, destination->width);
  const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t{y} + source->height, destination->height);
  if (x1 <= x0) return;
  const size_t n = static_cast<size_t>(x1 - x0);
  for (int64_t ty = y0; ty < y1; ++ty) {
    const auto sy = static_cast<uint32_t>(ty - y), dy = static_cast<uint32_t>(ty);
    std::memcpy(bitmap16a_pixels(destination, dy) + x0, bitmap16a_pixels(src, sy) + (x0 - x), n * 2);
    std::memcpy(bitmap16a_alpha(destination, dy) + x0, bitmap16a_alpha(src, sy) + (x0 - x), n);
  }
}

void bitmap16_list_free(BITMAP16_LIST** head) {
  if (!head) return;
  BITMAP16_LIST* node = *head;
  while (node) {
    BITMAP16_LIST* next = node->next;
    bitmap16_free(&node->bitmap);
    gfx_block_free(node);
    node = next;
  }
  *head = nullptr;
}

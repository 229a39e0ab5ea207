#include "graphics/primitives/gfx16_convert.h"

#include <algorithm>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"

void gfx16_convert_row_in(uint16_t* row, int32_t n) {
  auto from = pixel_ops.from_555;
  for (int32_t i = 0; i < n; ++i) row[i] = from(row[i]);
}

void gfx16_convert_row_out(uint16_t* row, int32_t n) {
  auto to = pixel_ops.to_555;
  for (int32_t i = 0; i < n; ++i) row[i] = to(row[i]);
}

void gfx16_convert_bitmap_in(BITMAP16* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) gfx16_convert_row_in(bitmap->rows[y], static_cast<int32_t>(bitmap->width));
}

void gfx16_convert_bitmap_out(BITMAP16* bitmap) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) gfx16_convert_row_out(bitmap->rows[y], static_cast<int32_t>(bitmap->width));
}

void gfx16_palette_to_words(const uint8_t* palette, uint16_t* words) {
  for (int i = 0; i < 256; ++i) words[i] = pixel_ops.pack(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
}

void gfx16_replace_colour(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t a, uint16_t b, BITMAP16* bitmap) {
  if (!bitmap) return;
  const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t{x} + w, bitmap->width);
  const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t{y} + h, bitmap->height);
  for (int64_t row = y0; row < y1; ++row) {
    for (int64_t col = x0; col < x1; ++col) {
      if (bitmap->rows[row][col] == a) bitmap->rows[row][col] = b;
    }
  }
}

namespace {

// Hue in degrees from the channels scaled to 0..1, their maximum and the spread.
double hue_of(double r, double g, double b, double max, double delta) {
  if (delta <= 0) return 0;
  double h;
  if (max == r) {
    h = (g - b) / delta;
  } else if (max == g) {
    h = (b - r) / delta + 2;
  } else {
    h = (r - g) / delta + 4;
  }
  h *= 60;
  return h < 0 ? h + 360 : h;
}

}  // namespace

void rgb_to_hsl(int r, int g, int b, double* h, double* s, double* l) {
  const double rf = r / 255.0, gf = g / 255.0, bf = b / 255.0;
  const double max = std::max({rf, gf, bf}), min = std::min({rf, gf, bf}), delta = max - min;
  *l = (max + min) / 2;
  *s = delta <= 0 ? 0 : delta / (1 - std::abs(2 * *l - 1));
  *h = hue_of(rf, gf, bf, max, delta);
}

void rgb_to_hsv(int r, int g, int b, double* h, double* s, double* v) {
  const double rf = r / 255.0, gf = g / 255.0, bf = b / 255.0;
  const double max = std::max({rf, gf, bf}), min = std::min({rf, gf, bf}), delta = max - min;
  *v = max;
  *s = max <= 0 ? 0 : delta / max;
  *h = hue_of(rf, gf, bf, max, delta);
}

void gfx16_stretch_row_down(const uint16_t* source, int32_t n, uint16_t* destination, int32_t m) {
  if (n <= 0 || m <= 0 || m > n) return;
  int64_t error = 0;
  int32_t out = 0;
  for (int32_t i = 0; i < n && out < m; ++i) {
    error += m;
    if (error >= n) {
      error -= n;
      destination[out++] = source[i];
    }
  }
}

void gfx16_stretch_row_up(const uint16_t* source, int32_t n, uint16_t* destination, int32_t m) {
  if (n <= 0 || m <= 0 || m < n) return;
  int64_t error = 0;
  int32_t in = 0;
  for (int32_t out = 0; out < m; ++out) {
    destination[out] = source[in];
    error += n;
    if (error >= m) {
      error -= m;
      if (in + 1 < n) ++in;
    }
  }
}

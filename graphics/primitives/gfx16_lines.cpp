// Lines: Cohen-Sutherland clipping, then one pixel per step along the longer axis.
#include "graphics/primitives/gfx16_lines.h"

#include <utility>

#include "graphics/bitmap/bitmap16.h"

namespace {

int outcode(int64_t x, int64_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  int code = 0;
  if (x < left) code |= 1;
  if (x > right) code |= 4;
  if (y < top) code |= 8;
  if (y > bottom) code |= 2;
  return code;
}

// The whole sum in double precision, then truncated toward zero.
int64_t along(int64_t from, int64_t boundary, int64_t base, int64_t d_num, int64_t d_den) {
  return static_cast<int64_t>(static_cast<double>(from) + static_cast<double>(boundary - base) *
                                                              static_cast<double>(d_num) / static_cast<double>(d_den));
}

// Visits the clipped line's pixels in drawing order with their number (from 1).
template <class Plot>
void walk_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const BITMAP16* bitmap, Plot plot) {
  if (!bitmap || bitmap->width == 0 || bitmap->height == 0) return;
  if (!gfx16_clip_line(&x1, &y1, &x2, &y2, 0, 0, static_cast<int32_t>(bitmap->width) - 1,
                       static_cast<int32_t>(bitmap->height) - 1)) {
    return;
  }
  if (x1 > x2 || (x1 == x2 && y1 > y2)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  int32_t i = 1;
  if (x1 == x2) {
    for (int32_t y = y1; y <= y2; ++y) plot(x1, y, i++);
    return;
  }
  if (y1 == y2) {
    for (int32_t x = x1; x <= x2; ++x) plot(x, y1, i++);
    return;
  }
  const int32_t dx = x2 - x1;
  const int32_t dy = y2 > y1 ? y2 - y1 : y1 - y2;
  const int32_t sy = y2 > y1 ? 1 : -1;
  int32_t x = x1, y = y1, error = 0;
  plot(x, y, i++);
  if (dx >= dy) {
    for (int32_t k = 0; k < dx; ++k) {
      ++x;
      error += dy;
      if (error >= dx) {
        y += sy;
        error -= dx;
      }
      plot(x, y, i++);
    }
  } else {
    for (int32_t k = 0; k < dy; ++k) {
      y += sy;
      error += dx;
      if (error >= dy) {
        ++x;
        error -= dy;
      }
      plot(x, y, i++);
    }
  }
}

}  // namespace

uint16_t gfx16_get_pixel(int32_t x, int32_t y, const BITMAP16* bitmap) { return bitmap->rows[y][x]; }

void gfx16_put_pixel(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap) { bitmap->rows[y][x] = colour; }

void gfx16_put_pixel_clipped(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap) {
  if (!bitmap || x < 0 || y < 0 || static_cast<uint32_t>(x) >= bitmap->width ||
      static_cast<uint32_t>(y) >= bitmap->height) {
    return;
  }
  bitmap->rows[y][x] = colour;
}

int gfx16_clip_line(int32_t* px1, int32_t* py1, int32_t* px2, int32_t* py2, int32_t left, int32_t top, int32_t right,
                    int32_t bottom) {
  int64_t x1 = *px1, y1 = *py1, x2 = *px2, y2 = *py2;
  int c1 = outcode(x1, y1, left, top, right, bottom);
  int c2 = outcode(x2, y2, left, top, right, bottom);
  while (c1 | c2) {
    if (c1 & c2) return 0;
    const bool first = c1 != 0;
    const int code = first ? c1 : c2;
    int64_t x, y;
    if (code & 1) {
      x = left;
      y = along(y1, left, x1, y2 - y1, x2 - x1);
    } else if (code & 2) {
      y = bottom;
      x = along(x1, bottom, y1, x2 - x1, y2 - y1);
    } else if (code & 4) {
      x = right;
      y = along(y1, right, x1, y2 - y1, x2 - x1);
    } else {
      y = top;
      x = along(x1, top, y1, x2 - x1, y2 - y1);
    }
    if (first) {
      x1 = x;
      y1 = y;
      c1 = outcode(x1, y1, left, top, right, bottom);
    } else {
      x2 = x;
      y2 = y;
      c2 = outcode(x2, y2, left, top, right, bottom);
    }
  }
  *px1 = static_cast<int32_t>(x1);
  *py1 = static_cast<int32_t>(y1);
  *px2 = static_cast<int32_t>(x2);
  *py2 = static_cast<int32_t>(y2);
  return 1;
}

void gfx16_draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, BITMAP16* bitmap) {
  walk_line(x1, y1, x2, y2, bitmap, [&](int32_t x, int32_t y, int32_t) { bitmap->rows[y][x] = colour; });
}

void gfx16_draw_dashed_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int32_t n,
                            BITMAP16* bitmap) {
  // The modulus 2n needs n >= 1; a dash length of 0 or less has no pattern to draw.
  if (n < 1 || n > (1 << 29)) return;
  walk_line(x1, y1, x2, y2, bitmap, [&](int32_t x, int32_t y, int32_t i) {
    if (i % (2 * n) >= n) bitmap->rows[y][x] = colour;
  });
}

void gfx16_draw_cross(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap) {
  gfx16_draw_line(x - 3, y - 3, x + 3, y + 3, colour, bitmap);
  gfx16_draw_line(x + 3, y - 3, x - 3, y + 3, colour, bitmap);
}

void gfx16_draw_plus(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap) {
  gfx16_draw_line(x - 3, y, x + 3, y, colour, bitmap);
  gfx16_draw_line(x, y - 3, x, y + 3, colour, bitmap);
}

void gfx16_draw_arrow_head(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap) {
  for (int32_t i = 0; i <= 3; ++i) gfx16_draw_line(x - i, y - 2 + i, x + i, y - 2 + i, colour, bitmap);
}

void gfx16_draw_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* bitmap) {
  const int32_t x2 = gfx16_clamp32(int64_t{x} + w - 1), y2 = gfx16_clamp32(int64_t{y} + h - 1);
  gfx16_draw_line(x, y, x2, y, colour, bitmap);
  gfx16_draw_line(x, y2, x2, y2, colour, bitmap);
  gfx16_draw_line(x, y, x, y2, colour, bitmap);
  gfx16_draw_line(x2, y, x2, y2, colour, bitmap);
}

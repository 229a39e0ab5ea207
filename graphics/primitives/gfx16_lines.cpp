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

}  // namespace

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
      y = y1 + static_cast<int64_t>(static_cast<double>(left - x1) * static_cast<double>(y2 - y1) /
                                    static_cast<double>(x2 - x1));
    } else if (code & 2) {
      y = bottom;
      x = x1 + static_cast<int64_t>(static_cast<double>(bottom - y1) * static_cast<double>(x2 - x1) /
                                    static_cast<double>(y2 - y1));
    } else if (code & 4) {
      x = right;
      y = y1 + static_cast<int64_t>(static_cast<double>(right - x1) * static_cast<double>(y2 - y1) /
                                    static_cast<double>(x2 - x1));
    } else {
      y = top;
      x = x1 + static_cast<int64_t>(static_cast<double>(top - y1) * static_cast<double>(x2 - x1) /
                                    static_cast<double>(y2 - y1));
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
  if (!bitmap || bitmap->width == 0 || bitmap->height == 0) return;
  if (!gfx16_clip_line(&x1, &y1, &x2, &y2, 0, 0, static_cast<int32_t>(bitmap->width) - 1,
                       static_cast<int32_t>(bitmap->height) - 1)) {
    return;
  }
  if (x1 > x2 || (x1 == x2 && y1 > y2)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (x1 == x2) {
    for (int32_t y = y1; y <= y2; ++y) bitmap->rows[y][x1] = colour;
    return;
  }
  if (y1 == y2) {
    for (int32_t x = x1; x <= x2; ++x) bitmap->rows[y1][x] = colour;
    return;
  }
  const int32_t dx = x2 - x1;
  const int32_t dy = y2 > y1 ? y2 - y1 : y1 - y2;
  const int32_t sy = y2 > y1 ? 1 : -1;
  int32_t x = x1, y = y1, error = 0;
  bitmap->rows[y][x] = colour;
  if (dx >= dy) {
    for (int32_t i = 0; i < dx; ++i) {
      ++x;
      error += dy;
      if (error >= dx) {
        y += sy;
        error -= dx;
      }
      bitmap->rows[y][x] = colour;
    }
  } else {
    for (int32_t i = 0; i < dy; ++i) {
      y += sy;
      error += dx;
      if (error >= dy) {
        ++x;
        error -= dy;
      }
      bitmap->rows[y][x] = colour;
    }
  }
}

void gfx16_draw_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* bitmap) {
  const int32_t x2 = x + w - 1, y2 = y + h - 1;
  gfx16_draw_line(x, y, x2, y, colour, bitmap);
  gfx16_draw_line(x, y2, x2, y2, colour, bitmap);
  gfx16_draw_line(x, y, x, y2, colour, bitmap);
  gfx16_draw_line(x2, y, x2, y2, colour, bitmap);
}

#include "graphics/primitives/gfx16_boxes.h"

#include <algorithm>

#include "core/timer/timer_ticks.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/primitives/gfx16_lines.h"

void gfx16_fill_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* bitmap) {
  if (!bitmap) return;
  const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + w - 1, int64_t{bitmap->width} - 1);
  const int64_t y1 = std::min<int64_t>(int64_t{y} + h - 1, int64_t{bitmap->height} - 1);
  if (x1 < x0) return;
  for (int64_t row = y0; row <= y1; ++row) std::fill(bitmap->rows[row] + x0, bitmap->rows[row] + x1 + 1, colour);
}

void gfx16_draw_focus_rect(int32_t cx, int32_t cy, int32_t r, uint16_t outer, uint16_t inner, BITMAP16* bitmap) {
  auto square = [&](int64_t half, uint16_t colour) {
    const int64_t side = 2 * half + 1;
    gfx16_draw_rect(gfx16_clamp32(cx - half), gfx16_clamp32(cy - half), gfx16_clamp32(side), gfx16_clamp32(side),
                    colour, bitmap);
  };
  square(int64_t{r} + 2, outer);
  square(r, outer);
  square(int64_t{r} + 1, inner);
}

void gfx16_draw_dashed_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t a, uint16_t b,
                            BITMAP16* bitmap) {
  if (!bitmap || x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0) return;
  const int64_t w = bitmap->width, h = bitmap->height;
  if (x1 >= w || x2 >= w || y1 >= h || y2 >= h) return;
  const uint32_t phase = timer_ticks[0].load(std::memory_order_relaxed);
  auto pick = [&](int32_t v) { return ((phase + static_cast<uint32_t>(v)) / 8) % 2 == 0 ? a : b; };
  for (int32_t x = x1; x < x2; ++x) {
    bitmap->rows[y1][x] = pick(x);
    bitmap->rows[y2][x] = pick(x);
  }
  for (int32_t y = y1; y < y2; ++y) {
    bitmap->rows[y][x1] = pick(y);
    bitmap->rows[y][x2] = pick(y);
  }
}

namespace {

void face(int32_t x, int32_t y, int32_t w, int32_t h, bool pressed, BITMAP16* bitmap) {
  const uint16_t light = gfx16_colours[GFX16_WHITE], dark = gfx16_colours[GFX16_BLACK];
  const uint16_t shade = gfx16_colours[GFX16_GREY_60];
  const int32_t r = gfx16_clamp32(int64_t{x} + w - 1), b = gfx16_clamp32(int64_t{y} + h - 1);
  gfx16_fill_rect(x + 1, y + 1, w - 2, h - 2, gfx16_colours[GFX16_GREY_A0], bitmap);
  const uint16_t top_left = pressed ? dark : light, bottom_right = pressed ? light : dark;
  gfx16_draw_line(x, y, r, y, top_left, bitmap);
  gfx16_draw_line(x, y, x, b, top_left, bitmap);
  gfx16_draw_line(r, y, r, b, bottom_right, bitmap);
  gfx16_draw_line(x, b, r, b, bottom_right, bitmap);
  if (pressed) {
    gfx16_draw_line(x + 1, y + 1, r - 1, y + 1, shade, bitmap);
    gfx16_draw_line(x + 1, y + 1, x + 1, b - 1, shade, bitmap);
  } else {
    gfx16_draw_line(r - 1, y + 1, r - 1, b - 1, shade, bitmap);
    gfx16_draw_line(x + 1, b - 1, r - 1, b - 1, shade, bitmap);
  }
}

// A glyph button: the face, then the sign drawn by lines relative to its top-left corner
// (moved one pixel down and right when pressed).
template <class Sign>
void glyph(int32_t x, int32_t y, int pressed, BITMAP16* bitmap, Sign sign) {
  face(x, y, 16, 16, pressed != 0, bitmap);
  const int32_t o = pressed ? 1 : 0;
  const uint16_t ink = gfx16_colours[GFX16_BLACK];
  sign(x + o, y + o, ink);
}

}  // namespace

void gfx16_draw_raised_box(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap) {
  face(x, y, w, h, false, bitmap);
}

void gfx16_draw_sunken_box(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap) {
  face(x, y, w, h, true, bitmap);
}

void gfx16_draw_panel(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap) {
  gfx16_fill_rect(x + 5, y + 5, w - 10, h - 10, gfx16_colours[GFX16_GREY_80], bitmap);
  gfx16_draw_rect(x, y, w, h, gfx16_colours[GFX16_BLACK], bitmap);
  for (int32_t i = 1; i <= 4; ++i) {
    gfx16_draw_rect(x + i, y + i, w - 2 * i, h - 2 * i, gfx16_colours[GFX16_GREY_C0], bitmap);
  }
}

void gfx16_draw_glyph_pause(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap, [&](int32_t l, int32_t t, uint16_t ink) {
    gfx16_fill_rect(l + 5, t + 4, 2, 8, ink, bitmap);
    gfx16_fill_rect(l + 9, t + 4, 2, 8, ink, bitmap);
  });
}

void gfx16_draw_glyph_up(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap, [&](int32_t l, int32_t t, uint16_t ink) {
    for (int32_t i = 0; i < 4; ++i) gfx16_draw_line(l + 7 - i, t + 6 + i, l + 8 + i, t + 6 + i, ink, bitmap);
  });
}

void gfx16_draw_glyph_down(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap, [&](int32_t l, int32_t t, uint16_t ink) {
    for (int32_t i = 0; i < 4; ++i) gfx16_draw_line(l + 7 - i, t + 9 - i, l + 8 + i, t + 9 - i, ink, bitmap);
  });
}

void gfx16_draw_glyph_left(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap, [&](int32_t l, int32_t t, uint16_t ink) {
    for (int32_t i = 0; i < 4; ++i) gfx16_draw_line(l + 6 + i, t + 7 - i, l + 6 + i, t + 8 + i, ink, bitmap);
  });
}

void gfx16_draw_glyph_right(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap, [&](int32_t l, int32_t t, uint16_t ink) {
    for (int32_t i = 0; i < 4; ++i) gfx16_draw_line(l + 9 - i, t + 7 - i, l + 9 - i, t + 8 + i, ink, bitmap);
  });
}

void gfx16_draw_glyph_plus(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap, [&](int32_t l, int32_t t, uint16_t ink) {
    gfx16_fill_rect(l + 4, t + 7, 8, 2, ink, bitmap);
    gfx16_fill_rect(l + 7, t + 4, 2, 8, ink, bitmap);
  });
}

void gfx16_draw_glyph_minus(int32_t x, int32_t y, int pressed, BITMAP16* bitmap) {
  glyph(x, y, pressed, bitmap,
        [&](int32_t l, int32_t t, uint16_t ink) { gfx16_fill_rect(l + 4, t + 7, 8, 2, ink, bitmap); });
}

void gfx16_draw_box16(int32_t x, int32_t y, int32_t h, BITMAP16* bitmap) { face(x, y, 16, h, false, bitmap); }

void gfx16_draw_box16_pressed(int32_t x, int32_t y, int32_t h, BITMAP16* bitmap) { face(x, y, 16, h, true, bitmap); }

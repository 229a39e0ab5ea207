// Pixels, clipped lines and the small line signs on 16-bit bitmaps.
#pragma once
#include <cstdint>

struct BITMAP16;

// Sums of coordinates and sizes are formed in 64 bits and brought back into range, so that
// far-off arguments clip instead of wrapping.
inline int32_t gfx16_clamp32(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// No clipping: the caller keeps (x, y) inside the bitmap.
uint16_t gfx16_get_pixel(int32_t x, int32_t y, const BITMAP16* bitmap);
void gfx16_put_pixel(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap);
// Writes only inside the bitmap; a null bitmap is ignored.
void gfx16_put_pixel_clipped(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap);

// Cohen-Sutherland clipping to the inclusive rectangle: 1 when a part remains (the ends moved
// onto it), 0 when the line lies outside.
int gfx16_clip_line(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2, int32_t left, int32_t top, int32_t right,
                    int32_t bottom);
// A solid line clipped to the bitmap: longer length + 1 pixels.
void gfx16_draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, BITMAP16* bitmap);
// The same path; pixel i (counted from 1) is drawn when i mod 2n >= n. n below 1 draws nothing.
void gfx16_draw_dashed_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int32_t n,
                            BITMAP16* bitmap);
// The two diagonals of the 7 x 7 square around (x, y).
void gfx16_draw_cross(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap);
// The horizontal and vertical 7-pixel lines through (x, y).
void gfx16_draw_plus(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap);
// A small triangle pointing up: row y - 2 + i from x - i to x + i, i = 0..3.
void gfx16_draw_arrow_head(int32_t x, int32_t y, uint16_t colour, BITMAP16* bitmap);
// The outline of (x, y, w, h): rows y and y + h - 1, columns x and x + w - 1.
void gfx16_draw_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* bitmap);

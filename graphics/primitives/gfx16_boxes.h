// Filled rectangles, the interface boxes and the marching selection rectangle.
#pragma once
#include <cstdint>

struct BITMAP16;

// Columns max(x, 0)..min(x + w - 1, width - 1) of rows max(y, 0)..min(y + h - 1, height - 1).
void gfx16_fill_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* bitmap);
// Three nested squares around (cx, cy): half-sizes r + 2 and r in outer, r + 1 in inner.
void gfx16_draw_focus_rect(int32_t cx, int32_t cy, int32_t r, uint16_t outer, uint16_t inner, BITMAP16* bitmap);
// The selection rectangle: dashes of 8 pixels in colours a and b that move with TIMER tick
// counter 0. Nothing is drawn unless all four coordinates lie inside the bitmap; the corner
// (x2, y2) is never drawn.
void gfx16_draw_dashed_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t a, uint16_t b,
                            BITMAP16* bitmap);
// A button face: grey inside, white top and left, black bottom and right, a dark inner line.
void gfx16_draw_raised_box(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap);
// The pressed face: black top and left, white bottom and right, the inner line top and left.
void gfx16_draw_sunken_box(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap);
// A framed panel: a black 1-pixel frame, a light 4-pixel frame, a mid-grey inside.
void gfx16_draw_panel(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap);

// 16 x 16 glyph buttons: a raised box (sunken when pressed) with a black sign.
void gfx16_draw_glyph_pause(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
void gfx16_draw_glyph_up(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
void gfx16_draw_glyph_down(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
void gfx16_draw_glyph_left(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
void gfx16_draw_glyph_right(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
void gfx16_draw_glyph_plus(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
void gfx16_draw_glyph_minus(int32_t x, int32_t y, int pressed, BITMAP16* bitmap);
// Raised boxes 16 wide and h high (a scroll bar's thumb and its track end).
void gfx16_draw_box16(int32_t x, int32_t y, int32_t h, BITMAP16* bitmap);
void gfx16_draw_box16_pressed(int32_t x, int32_t y, int32_t h, BITMAP16* bitmap);

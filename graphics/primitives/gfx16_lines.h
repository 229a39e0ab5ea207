// Clipped lines and rectangle outlines on 16-bit bitmaps.
#pragma once
#include <cstdint>

struct BITMAP16;

// Cohen-Sutherland clipping to the inclusive rectangle: 1 when a part remains (the ends moved
// onto it), 0 when the line lies outside.
int gfx16_clip_line(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2, int32_t left, int32_t top, int32_t right,
                    int32_t bottom);
// A solid line clipped to the bitmap.
void gfx16_draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, BITMAP16* bitmap);
// The outline of (x, y, w, h): rows y and y + h - 1, columns x and x + w - 1.
void gfx16_draw_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* bitmap);

// Circles, ellipses and arcs, clipped pixel by pixel.
#pragma once
#include <cstdint>

struct BITMAP16;

// Midpoint circle; a negative radius draws nothing, radius 0 one pixel.
void gfx16_draw_circle(int32_t cx, int32_t cy, int32_t r, uint16_t colour, BITMAP16* bitmap);
// Ellipse through the four axis points. A radius of 0 gives the segment between the axis
// points on the other axis; a negative radius draws nothing.
void gfx16_draw_ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint16_t colour, BITMAP16* bitmap);
// The part of the ellipse from start to end degrees (counter-clockwise, 0 = right, y up).
void gfx16_draw_arc(int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t start_deg, int32_t end_deg,
                    uint16_t colour, BITMAP16* bitmap);

// The debug outline of a placed polygon, with its point count as a label (through WINFONT, which
// is why it lives above the polygon library).
#pragma once
#include <cstdint>

#include "graphics/poly/poly.h"

struct BITMAP16;

// Flag bits: which parts are drawn, and in bits 16-23 the standard colour (gfx16_colours) to
// draw in; a number past the standard colours takes the given colour.
enum : uint32_t {
  POLY_OUTLINE_AXIS = 1,          // the vertical axis through (x, y), as high as the top height
  POLY_OUTLINE_DOTS = 2,          // a dot at each corner on the base and on the top
  POLY_OUTLINE_GROUND = 4,        // the outline at the base heights
  POLY_OUTLINE_CENTRE = 8,        // the centre column from the base height to the top height
  POLY_OUTLINE_VERTICALS = 16,    // each corner's vertical edge and the outline at the top heights
};
void poly_draw_outline(int32_t x, int32_t y, const POLY* poly, uint32_t flags, uint16_t colour, BITMAP16* target);

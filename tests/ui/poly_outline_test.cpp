// The polygon outline's parts by flag bit, in the standard colour its bits 16-23 choose.
#include <gtest/gtest.h>

#include "engine/poly_outline/poly_outline.h"
#include "graphics/poly/poly_geom.h"
#include "tests/graphics/gfx_test_support.h"

namespace {

class PolyOutline : public gfxt::MediaFixture {};

TEST_F(PolyOutline, FlagsChooseThePartsAndTheColour) {
  POLY p{};
  poly_make_rect(&p, 0, 0, 10, 6);
  poly_set_heights(&p, 20, 0);
  const uint32_t green = uint32_t{GFX16_GREEN} << 16;
  struct Case {
    uint32_t flags;
    int32_t x, y;  // a pixel the part draws (the rect placed at 50, 50)
    uint16_t want;
  } cases[] = {
      {POLY_OUTLINE_GROUND | green, 45, 44, gfx16_colours[GFX16_GREEN]},     // top edge at the base
      {POLY_OUTLINE_VERTICALS | green, 40, 35, gfx16_colours[GFX16_GREEN]},  // a corner's vertical edge
      {POLY_OUTLINE_AXIS | green, 50, 40, gfx16_colours[GFX16_GREEN]},
      {POLY_OUTLINE_CENTRE | (200u << 16), 50, 35, 0x1234},                  // past the table: given colour
      {POLY_OUTLINE_DOTS | green, 60, 36, gfx16_colours[GFX16_GREEN]},       // a top corner
  };
  for (const Case& c : cases) {
    gfxt::Bitmap t = gfxt::make_bitmap(100, 100, 0);
    poly_draw_outline(50, 50, &p, c.flags, 0x1234, t.get());
    EXPECT_EQ(t->rows[c.y][c.x], c.want) << c.flags;
    gfxt::Bitmap none = gfxt::make_bitmap(100, 100, 0);
    poly_draw_outline(50, 50, &p, c.flags & 0xFFFF0000u, 0x1234, none.get());
    EXPECT_EQ(none->rows[c.y][c.x], 0) << "without the part's bit " << c.flags;
  }
  poly_draw_outline(50, 50, nullptr, 4, 1, nullptr);
}

}  // namespace

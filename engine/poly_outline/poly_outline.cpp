#include "engine/poly_outline/poly_outline.h"

#include <algorithm>
#include <cstdio>

#include "engine/winfont/winfont.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/primitives/gfx16_lines.h"

namespace {

// The outline with every point lowered by one of its height lists.
void draw_ring(int64_t x, int64_t y, const POLY& p, int32_t n, const int32_t* heights, uint16_t colour,
               BITMAP16* target) {
  for (int32_t i = 0; i < n; ++i) {
    gfx16_draw_line(gfx16_clamp32(x + p.x[i]), gfx16_clamp32(y + p.y[i] - heights[i]), gfx16_clamp32(x + p.x[i + 1]),
                    gfx16_clamp32(y + p.y[i + 1] - heights[i + 1]), colour, target);
  }
}

}  // namespace

void poly_draw_outline(int32_t x, int32_t y, const POLY* poly, uint32_t flags, uint16_t colour, BITMAP16* target) {
  if (poly == nullptr || target == nullptr) return;
  const uint32_t index = (flags >> 16) & 0xFF;
  const uint16_t c = index < GFX16_COLOUR_COUNT ? gfx16_colours[index] : colour;
  const int32_t n = std::clamp(poly->count, 0, POLY_LIST_SIZE - 1);
  const POLY& p = *poly;
  const int64_t ox = x, oy = y;
  if (flags & POLY_OUTLINE_AXIS) {
    gfx16_draw_line(x, y, x, gfx16_clamp32(oy - std::max(p.top_height, 1)), c, target);
  }
  if (flags & POLY_OUTLINE_GROUND) draw_ring(ox, oy, p, n, p.base, c, target);
  if (flags & POLY_OUTLINE_VERTICALS) {
    draw_ring(ox, oy, p, n, p.top, c, target);
    for (int32_t i = 0; i < n; ++i) {
      gfx16_draw_line(gfx16_clamp32(ox + p.x[i]), gfx16_clamp32(oy + p.y[i] - p.base[i]), gfx16_clamp32(ox + p.x[i]),
                      gfx16_clamp32(oy + p.y[i] - p.top[i]), c, target);
    }
  }
  if (flags & POLY_OUTLINE_DOTS) {
    for (int32_t i = 0; i < n; ++i) {
      gfx16_put_pixel_clipped(gfx16_clamp32(ox + p.x[i]), gfx16_clamp32(oy + p.y[i] - p.base[i]), c, target);
      gfx16_put_pixel_clipped(gfx16_clamp32(ox + p.x[i]), gfx16_clamp32(oy + p.y[i] - p.top[i]), c, target);
    }
  }
  const int32_t cx = gfx16_clamp32(ox + p.centre_x), cy = gfx16_clamp32(oy + p.centre_y);
  if (flags & POLY_OUTLINE_CENTRE) {
    gfx16_draw_line(cx, gfx16_clamp32(int64_t{cy} - p.base_height), cx, gfx16_clamp32(int64_t{cy} - p.top_height), c,
                    target);
  }
  char label[16];
  std::snprintf(label, sizeof label, "%d", n);
  font_draw_text(gfx16_clamp32(int64_t{cx} + 3), cy, label, 1, target);
}

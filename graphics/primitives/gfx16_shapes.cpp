#include "graphics/primitives/gfx16_shapes.h"

#include <algorithm>
#include <cmath>

#include "graphics/primitives/gfx16_lines.h"

namespace {

// Radii beyond this cover any bitmap many times over; larger ones are not drawn.
constexpr int32_t kMaxRadius = 1 << 20;

void plot4(int64_t cx, int64_t cy, int64_t dx, int64_t dy, uint16_t colour, BITMAP16* bitmap) {
  gfx16_put_pixel_clipped(gfx16_clamp32(cx + dx), gfx16_clamp32(cy + dy), colour, bitmap);
  gfx16_put_pixel_clipped(gfx16_clamp32(cx - dx), gfx16_clamp32(cy + dy), colour, bitmap);
  gfx16_put_pixel_clipped(gfx16_clamp32(cx + dx), gfx16_clamp32(cy - dy), colour, bitmap);
  gfx16_put_pixel_clipped(gfx16_clamp32(cx - dx), gfx16_clamp32(cy - dy), colour, bitmap);
}

}  // namespace

void gfx16_draw_circle(int32_t cx, int32_t cy, int32_t r, uint16_t colour, BITMAP16* bitmap) {
  if (!bitmap || r < 0 || r > kMaxRadius) return;
  int64_t x = 0, y = r, d = 1 - static_cast<int64_t>(r);
  while (x <= y) {
    plot4(cx, cy, x, y, colour, bitmap);
    plot4(cx, cy, y, x, colour, bitmap);
    if (d < 0) {
      d += 2 * x + 3;
    } else {
      d += 2 * (x - y) + 5;
      --y;
    }
    ++x;
  }
}

void gfx16_draw_ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint16_t colour, BITMAP16* bitmap) {
  if (!bitmap || rx < 0 || ry < 0 || rx > kMaxRadius || ry > kMaxRadius) return;
  // A flat ellipse would divide by its zero radius: it is the segment between its axis points.
  if (rx == 0 || ry == 0) {
    gfx16_draw_line(gfx16_clamp32(int64_t{cx} - rx), gfx16_clamp32(int64_t{cy} - ry), gfx16_clamp32(int64_t{cx} + rx),
                    gfx16_clamp32(int64_t{cy} + ry), colour, bitmap);
    return;
  }
  const double a = rx, b = ry;
  // Stepping along x gives the flat parts, along y the steep ones; together the outline is closed.
  for (int64_t x = 0; x <= rx; ++x) {
    const double t = 1.0 - (static_cast<double>(x) * static_cast<double>(x)) / (a * a);
    const auto y = static_cast<int64_t>(std::lround(b * std::sqrt(std::max(t, 0.0))));
    plot4(cx, cy, x, y, colour, bitmap);
  }
  for (int64_t y = 0; y <= ry; ++y) {
    const double t = 1.0 - (static_cast<double>(y) * static_cast<double>(y)) / (b * b);
    const auto x = static_cast<int64_t>(std::lround(a * std::sqrt(std::max(t, 0.0))));
    plot4(cx, cy, x, y, colour, bitmap);
  }
}

void gfx16_draw_arc(int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t start_deg, int32_t end_deg,
                    uint16_t colour, BITMAP16* bitmap) {
  if (!bitmap || rx < 0 || ry < 0 || rx > kMaxRadius || ry > kMaxRadius) return;
  int64_t start = start_deg, end = end_deg;
  while (end < start) end += 360;
  if (end - start > 360) end = start + 360;
  // One step of the angle moves at most about one pixel along the larger radius.
  const double radius = static_cast<int32_t>(std::max(rx, ry) + 0.5);
  const double step = radius > 1 ? 1.0 / radius : 0.5;
  const double from = static_cast<double>(start) * M_PI / 180.0, to = static_cast<double>(end) * M_PI / 180.0;
  for (double t = from;; t += step) {
    const double u = std::min(t, to);
    const auto x = static_cast<int64_t>(std::lround(rx * std::cos(u)));
    const auto y = static_cast<int64_t>(std::lround(ry * std::sin(u)));
    gfx16_put_pixel_clipped(gfx16_clamp32(cx + x), gfx16_clamp32(cy - y), colour, bitmap);
    if (u >= to) break;
  }
}

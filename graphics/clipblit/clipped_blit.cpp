#include "graphics/clipblit/clipped_blit.h"

#include <algorithm>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"

namespace {

using Combine = void (*)(const uint16_t*, uint16_t*);

struct Span {
  int32_t x0, y0, x1, y1;  // target columns and rows kept (end exclusive)
  int32_t sx, sy;          // source column and row of (x0, y0)
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

int32_t side(uint32_t v) { return static_cast<int32_t>(std::min<uint32_t>(v, BITMAP16_MAX_SIZE)); }

Span clip(int32_t x, int32_t y, int64_t w, int64_t h, const BITMAP16* target) {
  const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(x + w, side(target->width));
  const int64_t y1 = std::min<int64_t>(y + h, side(target->height));
  Span s{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(std::max(x1, x0)),
         static_cast<int32_t>(std::max(y1, y0)), static_cast<int32_t>(x0 - x), static_cast<int32_t>(y0 - y)};
  return s;
}

// Calls f(source pixel, target pixel, source column, source row, target column, target row)
// over the visible part of source placed at (x, y).
template <class F>
void each(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, F f) {
  if (!source || !target) return;
  const Span s = clip(x, y, side(source->width), side(source->height), target);
  if (s.empty()) return;
  for (int32_t ty = s.y0, sy = s.sy; ty < s.y1; ++ty, ++sy) {
    const uint16_t* src = source->rows[sy];
    uint16_t* dst = target->rows[ty];
    for (int32_t tx = s.x0, sx = s.sx; tx < s.x1; ++tx, ++sx) f(src[sx], dst + tx, sx, sy, tx, ty);
  }
}

template <class F>
void each_fill(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* target, F f) {
  if (!target || w <= 0 || h <= 0) return;
  const Span s = clip(x, y, w, h, target);
  for (int32_t ty = s.y0; ty < s.y1; ++ty)
    for (int32_t tx = s.x0; tx < s.x1; ++tx) f(target->rows[ty] + tx, tx - s.x0, ty - s.y0);
}

bool is_edge(const BITMAP16* source, int32_t sx, int32_t sy) {
  const int32_t w = side(source->width), h = side(source->height);
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx) {
      if (!dx && !dy) continue;
      const int32_t nx = sx + dx, ny = sy + dy;
      if (nx < 0 || ny < 0 || nx >= w || ny >= h || source->rows[ny][nx] == 0) return true;
    }
  return false;
}

void keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, Combine op) {
  each(x, y, source, target, [op](uint16_t s, uint16_t* d, int32_t, int32_t, int32_t, int32_t) {
    if (s) op(&s, d);
  });
}

void unkeyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, Combine op) {
  each(x, y, source, target, [op](uint16_t s, uint16_t* d, int32_t, int32_t, int32_t, int32_t) { op(&s, d); });
}

template <class Edge>
void outline(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, Edge edge_op) {
  each(x, y, source, target, [&](uint16_t s, uint16_t* d, int32_t sx, int32_t sy, int32_t, int32_t) {
    if (!s) return;
    if (is_edge(source, sx, sy)) edge_op(s, d);
    else *d = s;
  });
}

void outline_with(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, Combine op) {
  outline(x, y, source, target, [op](uint16_t s, uint16_t* d) { op(&s, d); });
}

void fill_with(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, Combine op) {
  each_fill(x, y, w, h, target, [op, colour](uint16_t* d, int32_t, int32_t) { op(&colour, d); });
}

}  // namespace

void blit16_view(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* out, BITMAP16* source) {
  if (!out || !source || w < 0 || h < 0) return;
  out->width = static_cast<uint32_t>(w);
  out->height = static_cast<uint32_t>(h);
  out->pitch = source->pitch;
  for (int32_t r = 0; r < h; ++r) {
    const int64_t sy = static_cast<int64_t>(y) + r;
    out->rows[r] = (sy >= 0 && sy < side(source->height)) ? source->rows[sy] + x : nullptr;
  }
}

void blit16_copy_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  each(x, y, source, target, [](uint16_t s, uint16_t* d, int32_t, int32_t, int32_t, int32_t) {
    if (s) *d = s;
  });
}

void blit16_checker_fill(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target) {
  each_fill(x, y, w, h, target, [colour](uint16_t* d, int32_t cx, int32_t cy) {
    if (((cx + cy) & 1) == 0) *d = colour;
  });
}

void blit16_checker_copy(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  each(x, y, source, target, [](uint16_t s, uint16_t* d, int32_t sx, int32_t sy, int32_t, int32_t) {
    if (((sx + sy) & 1) == 0) *d = s;
  });
}

void blit16_checker_copy_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  each(x, y, source, target, [](uint16_t s, uint16_t* d, int32_t sx, int32_t sy, int32_t, int32_t) {
    if (s && ((sx + sy) & 1) == 0) *d = s;
  });
}

void blit16_silhouette(int32_t x, int32_t y, uint16_t colour, BITMAP16* source, BITMAP16* target) {
  each(x, y, source, target, [colour](uint16_t s, uint16_t* d, int32_t, int32_t, int32_t, int32_t) {
    if (s) *d = colour;
  });
}

void blit16_outline_colour(int32_t x, int32_t y, uint16_t colour, BITMAP16* source, BITMAP16* target) {
  outline(x, y, source, target, [colour](uint16_t, uint16_t* d) { *d = colour; });
}

void blit16_blend_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level) {
  each(x, y, source, target, [level](uint16_t s, uint16_t* d, int32_t, int32_t, int32_t, int32_t) {
    if (s) pixel_ops.blend(&s, d, level);
  });
}

void blit16_outline_blend(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level) {
  outline(x, y, source, target, [level](uint16_t s, uint16_t* d) { pixel_ops.blend(&s, d, level); });
}

void blit16_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  unkeyed(x, y, source, target, pixel_ops.grey);
}
void blit16_outline_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  outline_with(x, y, source, target, pixel_ops.grey);
}

void fill16_add(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target) {
  fill_with(x, y, w, h, colour, target, pixel_ops.add);
}
void fill16_sub(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target) {
  fill_with(x, y, w, h, colour, target, pixel_ops.sub);
}
void fill16_min(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target) {
  fill_with(x, y, w, h, colour, target, pixel_ops.min);
}
void fill16_max(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target) {
  fill_with(x, y, w, h, colour, target, pixel_ops.max);
}
void fill16_mix(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target) {
  fill_with(x, y, w, h, colour, target, pixel_ops.mix);
}

void blit16_add_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  keyed(x, y, source, target, pixel_ops.add);
}
void blit16_sub_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  keyed(x, y, source, target, pixel_ops.sub);
}
void blit16_min_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  keyed(x, y, source, target, pixel_ops.min);
}
void blit16_max_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  keyed(x, y, source, target, pixel_ops.max);
}
void blit16_mix_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  keyed(x, y, source, target, pixel_ops.mix);
}
void blit16_sub(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  unkeyed(x, y, source, target, pixel_ops.sub);
}
void blit16_min(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  unkeyed(x, y, source, target, pixel_ops.min);
}
void blit16_max(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  unkeyed(x, y, source, target, pixel_ops.max);
}
void blit16_outline_add(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  outline_with(x, y, source, target, pixel_ops.add);
}
void blit16_outline_sub(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  outline_with(x, y, source, target, pixel_ops.sub);
}
void blit16_outline_min(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  outline_with(x, y, source, target, pixel_ops.min);
}
void blit16_outline_max(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  outline_with(x, y, source, target, pixel_ops.max);
}
void blit16_outline_mix(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  outline_with(x, y, source, target, pixel_ops.mix);
}

void fill16_scale(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* target, int n) {
  each_fill(x, y, w, h, target, [n](uint16_t* d, int32_t, int32_t) { pixel_ops.scale(d, n); });
}

void blit16_stretch_keyed(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* target) {
  if (!source || !target || w < 1 || h < 1) return;
  const int64_t sw = side(source->width), sh = side(source->height);
  const int64_t tw = side(target->width), th = side(target->height);
  for (int64_t i = 0; i + 1 < h; ++i) {
    const int64_t ty = y + i;
    if (ty < 0 || ty >= th) continue;
    const int64_t sy = (i + 1) * sh / h;
    if (sy >= sh) continue;
    for (int64_t j = 0; j + 1 < w; ++j) {
      const int64_t tx = x + j;
      if (tx < 0 || tx >= tw) continue;
      const int64_t sx = (j + 1) * sw / w;
      if (sx >= sw) continue;
      const uint16_t s = source->rows[sy][sx];
      if (s) target->rows[ty][tx] = s;
    }
  }
}

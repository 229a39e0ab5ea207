// The plain whole-buffer routines: one call of the installed pixel routine per pixel.
#include <algorithm>
#include <cstring>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/blit_clip.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"

namespace {

template <class Op>
void each_pair(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination, Op op) {
  BlitClip c;
  if (!blit_clip(x, y, source, destination, c)) return;
  for (int32_t i = 0; i < c.h; ++i) {
    const uint16_t* s = source->rows[c.source_y + i] + c.source_x;
    uint16_t* d = destination->rows[c.y + i] + c.x;
    for (int32_t j = 0; j < c.w; ++j) op(s + j, d + j);
  }
}

template <class Op>
void each_pixel(BITMAP16* bitmap, Op op) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) {
    uint16_t* row = bitmap->rows[y];
    for (uint32_t x = 0; x < bitmap->width; ++x) op(row + x);
  }
}

}  // namespace

void gfx16_blit(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination) {
  BlitClip c;
  if (!blit_clip(x, y, source, destination, c)) return;
  for (int32_t i = 0; i < c.h; ++i) {
    std::memmove(destination->rows[c.y + i] + c.x, source->rows[c.source_y + i] + c.source_x,
                 static_cast<size_t>(c.w) * 2);
  }
}

void gfx16_blit_blend(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination, int level) {
  auto blend = pixel_ops.blend;
  each_pair(x, y, source, destination, [blend, level](const uint16_t* s, uint16_t* d) { blend(s, d, level); });
}

void gfx16_blit_half(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination) {
  each_pair(x, y, source, destination, pixel_ops.mix);
}

void gfx16_blit_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination) {
  each_pair(x, y, source, destination, pixel_ops.grey);
}

void gfx16_blit_add(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination) {
  each_pair(x, y, source, destination, pixel_ops.add);
}

void gfx16_fill_rect_blend(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* destination,
                           int level) {
  BlitClip c;
  if (!destination || !blit_clip_block(x, y, w, h, destination->width, destination->height, c)) return;
  auto blend = pixel_ops.blend;
  for (int32_t i = 0; i < c.h; ++i) {
    uint16_t* d = destination->rows[c.y + i] + c.x;
    for (int32_t j = 0; j < c.w; ++j) blend(&colour, d + j, level);
  }
}

void gfx16_brighten(int r, int g, int b, BITMAP16* bitmap) {
  auto brighten = pixel_ops.brighten;
  each_pixel(bitmap, [=](uint16_t* p) { brighten(p, r, g, b); });
}

void gfx16_darken(int r, int g, int b, BITMAP16* bitmap) {
  auto darken = pixel_ops.darken;
  each_pixel(bitmap, [=](uint16_t* p) { darken(p, r, g, b); });
}

void gfx16_blit_rect(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t w, int32_t h,
                     BITMAP16* source, BITMAP16* destination) {
  if (!source || !destination) return;
  // The block is first cut to the source, so that a block reaching past it reads nothing outside.
  int64_t sx = source_x, sy = source_y, dx = x, dy = y, bw = w, bh = h;
  if (sx < 0) {
    dx -= sx;
    bw += sx;
    sx = 0;
  }
  if (sy < 0) {
    dy -= sy;
    bh += sy;
    sy = 0;
  }
  bw = std::min<int64_t>(bw, int64_t{source->width} - sx);
  bh = std::min<int64_t>(bh, int64_t{source->height} - sy);
  BlitClip c;
  if (bw < 1 || bh < 1 || !blit_clip_block(dx, dy, bw, bh, destination->width, destination->height, c)) return;
  for (int32_t i = 0; i < c.h; ++i) {
    std::memmove(destination->rows[c.y + i] + c.x, source->rows[sy + c.source_y + i] + sx + c.source_x,
                 static_cast<size_t>(c.w) * 2);
  }
}

void bitmap16a_blit(int32_t x, int32_t y, BITMAP16A* source, BITMAP16* destination) {
  if (!source || !destination) return;
  BlitClip c;
  if (!blit_clip_block(x, y, source->width, source->height, destination->width, destination->height, c)) return;
  auto blend = pixel_ops.blend;
  for (int32_t i = 0; i < c.h; ++i) {
    const uint16_t* s = bitmap16a_pixels(source, c.source_y + i) + c.source_x;
    const uint8_t* a = bitmap16a_alpha(source, c.source_y + i) + c.source_x;
    uint16_t* d = destination->rows[c.y + i] + c.x;
    for (int32_t j = 0; j < c.w; ++j) {
      if (a[j] == 255) {
        d[j] = s[j];
      } else if (a[j] != 0) {
        blend(s + j, d + j, a[j]);
      }
    }
  }
}

void gfx16_blit_stretch(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* destination) {
  if (!source || !destination || w <= 0 || h <= 0 || source->width == 0 || source->height == 0) return;
  const int64_t sw = source->width, sh = source->height;
  // Only the visible target pixels are visited; each takes source pixel i x sw / w (whole steps).
  const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t{x} + w, destination->width);
  const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t{y} + h, destination->height);
  for (int64_t ty = y0; ty < y1; ++ty) {
    const uint16_t* s = source->rows[(ty - y) * sh / h];
    uint16_t* d = destination->rows[ty];
    for (int64_t tx = x0; tx < x1; ++tx) d[tx] = s[(tx - x) * sw / w];
  }
}

uint16_t gfx16_add_rgb(int r, int g, int b, uint16_t pixel) {
  int pr = 0, pg = 0, pb = 0;
  pixel_ops.unpack(pixel, &pr, &pg, &pb);
  return pixel_ops.pack(std::min(pr + r, 255), std::min(pg + g, 255), std::min(pb + b, 255));
}

// The plain whole-buffer routines: one call of the installed pixel routine per pixel.
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

// Stand-in until the bitmap primitives are built: copies nothing.
void gfx16_blit_rect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, BITMAP16*, BITMAP16*) {}

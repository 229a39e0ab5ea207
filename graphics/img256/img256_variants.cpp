// The faded, additive and width-limited blitters (colour through PIXEL_OPS).
#include <algorithm>

#include "graphics/img256/img256_draw.h"
#include "graphics/img256/img256_pixel.h"
#include "graphics/img256/img256_soft.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"

using namespace img256_px;

void img256_soft_pixel(const SPRITE_DRAW_STATE& st, uint16_t* dst, int64_t px, int64_t py, const uint8_t* rgb,
                       uint8_t alpha, int32_t level) {
  highlight(st, px, py, alpha);
  int a = alpha;
  if (masked(st, px, py)) {
    if (!st.mask_see_through) return;
    a = 80;
  }
  const uint16_t colour = pixel_ops.pack(rgb[0], rgb[1], rgb[2]);
  pixel_ops.blend(&colour, dst, clamp_alpha(int64_t{a} - level));
}

void img256_add_pixel(const SPRITE_DRAW_STATE& st, uint16_t* dst, int64_t px, int64_t py, const uint8_t* rgb,
                      uint8_t alpha) {
  highlight(st, px, py, alpha);
  *dst = gfx16_add_rgb(rgb[0], rgb[1], rgb[2], *dst);
}

namespace {

// Visits the visible pixels of a frame drawn unscaled: visit(dst, px, py, index, alpha).
template <class Visit>
void each_visible(int32_t x, int32_t y, const Img256Frame& frame, BITMAP16* target, int64_t right_limit,
                  Visit visit) {
  const int64_t left = int64_t{x} - frame.hot_x(), top = int64_t{y} - frame.hot_y();
  const int64_t tw = std::min<int64_t>(target->width, right_limit), th = target->height;
  if (left >= tw || top >= th || left + frame.width() <= 0 || top + frame.height() <= 0) return;
  img256_walk(frame, [&](uint32_t row, uint32_t col, const uint8_t* pairs, uint32_t n) {
    const int64_t py = top + row;
    if (py < 0 || py >= th) return;
    const int64_t px0 = left + col;
    const int64_t a = std::max<int64_t>(px0, 0), b = std::min<int64_t>(px0 + n, tw);
    uint16_t* dst = target->rows[py];
    for (int64_t px = a; px < b; ++px) {
      const uint8_t* p = pairs + 2 * (px - px0);
      visit(dst + px, px, py, p[0], p[1]);
    }
  });
}

}  // namespace

void img256_draw_faded(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t level) {
  if (!frame || !frame->valid() || !target) return;
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  const uint8_t* palette = frame->palette();
  each_visible(x, y, *frame, target, INT64_MAX, [&](uint16_t* dst, int64_t px, int64_t py, uint8_t index, uint8_t alpha) {
    uint8_t* occ = occlusion_at(px, py);
    const int m = occ ? *occ : 0;
    if (st.occlusion_test && m >= 250) return;
    highlight(st, px, py, alpha);
    int a = alpha;
    if (masked(st, px, py)) {
      if (!st.mask_see_through) return;
      a = 80;
    }
    // The map gains the pixel's own alpha less what it already holds.
    if (st.occlusion_write && a >= 8 && occ) *occ = static_cast<uint8_t>(std::min(m + std::max(a - m, 0), 254));
    const uint8_t* rgb = palette + 3 * index;
    const uint16_t colour = pixel_ops.pack(rgb[0], rgb[1], rgb[2]);
    pixel_ops.blend(&colour, dst, clamp_alpha(int64_t{a} - level));
  });
}

void img256_draw_additive(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target) {
  if (!frame || !frame->valid() || !target) return;
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  const uint8_t* palette = frame->palette();
  each_visible(x, y, *frame, target, INT64_MAX, [&](uint16_t* dst, int64_t px, int64_t py, uint8_t index, uint8_t alpha) {
    img256_add_pixel(st, dst, px, py, palette + 3 * index, alpha);
  });
}

void img256_draw_width_limited(int32_t x, int32_t y, int32_t width, const Img256Frame* frame, BITMAP16* target) {
  if (!frame || !frame->valid() || !target) return;
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  const uint8_t* palette = frame->palette();
  each_visible(x, y, *frame, target, int64_t{x} + width,
               [&](uint16_t* dst, int64_t px, int64_t py, uint8_t index, uint8_t alpha) {
                 img256_soft_pixel(st, dst, px, py, palette + 3 * index, alpha, 0);
               });
}

// The main sprite blitter.
#include "graphics/img256/img256_draw.h"

#include <algorithm>

#include "graphics/img256/img256_pixel.h"

using namespace img256_px;

namespace {

// With every setting off: only the blend.
void plain_span(uint16_t* dst, const uint8_t* pairs, int64_t n, const uint8_t* palette) {
  for (int64_t i = 0; i < n; ++i) {
    const uint32_t w = pairs[2 * i + 1] >> 3;
    if (w == 0) continue;
    dst[i] = blend565(rgb565(palette, pairs[2 * i]), dst[i], w);
  }
}

// The full per-pixel order: occlusion skip, highlight, mask, thinning, occlusion write, blend.
void full_pixel(const SPRITE_DRAW_STATE& st, uint16_t* dst, int64_t px, int64_t py, uint8_t index, uint8_t alpha,
                const uint8_t* palette) {
  uint8_t* occ = occlusion_at(px, py);
  const int m = occ ? *occ : 0;
  if (st.occlusion_test && m > 250) return;
  highlight(st, px, py, alpha);
  int a = alpha;
  if (masked(st, px, py)) a = st.mask_see_through ? 80 : 0;
  int drawn = a;
  if (st.occlusion_test) drawn = m > a ? 0 : a - m;
  if (st.occlusion_write && a >= 8 && occ) *occ = static_cast<uint8_t>(std::min(m + a, 254));
  const uint32_t w = static_cast<uint32_t>(drawn) >> 3;
  if (w) *dst = blend565(rgb565(palette, index), *dst, w);
}

}  // namespace

void img256_draw(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target) {
  if (!frame || !frame->valid() || !target) return;
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  const bool plain = !st.occlusion_test && !st.occlusion_write && !st.highlight_on && !st.mask_test;
  const int64_t left = int64_t{x} - frame->hot_x(), top = int64_t{y} - frame->hot_y();
  const int64_t tw = target->width, th = target->height;
  const uint8_t* palette = frame->palette();
  img256_walk(*frame, [&](uint32_t row, uint32_t col, const uint8_t* pairs, uint32_t n) {
    const int64_t py = top + row;
    if (py < 0 || py >= th) return;
    const int64_t px0 = left + col;
    const int64_t a = std::max<int64_t>(px0, 0), b = std::min<int64_t>(px0 + n, tw);
    if (a >= b) return;
    uint16_t* dst = target->rows[py];
    const uint8_t* p = pairs + 2 * (a - px0);
    if (plain) {
      plain_span(dst + a, p, b - a, palette);
      return;
    }
    for (int64_t px = a; px < b; ++px, p += 2) full_pixel(st, dst + px, px, py, p[0], p[1], palette);
  });
}

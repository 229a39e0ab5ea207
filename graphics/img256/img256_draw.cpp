// The main sprite blitter.
#include "graphics/img256/img256_draw.h"

#include <emmintrin.h>

#include <algorithm>

#include "graphics/img256/img256_pixel.h"

using namespace img256_px;

namespace {

// Frames with more pixels than this convert their palette once per call; smaller ones per pixel.
constexpr uint32_t kPaletteTableStream = 512;

// Eight pixels at once, each RGB565 channel t + floor((c - t) x w / 32) in 16-bit lanes.
inline __m128i blend8(__m128i c, __m128i t, __m128i w) {
  const __m128i m5 = _mm_set1_epi16(31), m6 = _mm_set1_epi16(63);
  const __m128i cr = _mm_srli_epi16(c, 11), tr = _mm_srli_epi16(t, 11);
  const __m128i cg = _mm_and_si128(_mm_srli_epi16(c, 5), m6), tg = _mm_and_si128(_mm_srli_epi16(t, 5), m6);
  const __m128i cb = _mm_and_si128(c, m5), tb = _mm_and_si128(t, m5);
  const __m128i r = _mm_add_epi16(tr, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(cr, tr), w), 5));
  const __m128i g = _mm_add_epi16(tg, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(cg, tg), w), 5));
  const __m128i b = _mm_add_epi16(tb, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(cb, tb), w), 5));
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b);
}

// With every setting off: only the blend, in batches of eight (the same result as pixel by pixel).
void plain_span(uint16_t* dst, const uint8_t* pairs, int64_t n, const uint8_t* palette, const uint16_t* table) {
  int64_t i = 0;
  if (table) {
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
      const uint8_t* p = pairs + 2 * i;
      // Pairs are (index, alpha) bytes: as little-endian words, alpha / 8 is word >> 11.
      const __m128i w = _mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), 11);
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(w, zero)) == 0xFFFF) continue;
      const __m128i c = _mm_setr_epi16(static_cast<int16_t>(table[p[0]]), static_cast<int16_t>(table[p[2]]),
                                       static_cast<int16_t>(table[p[4]]), static_cast<int16_t>(table[p[6]]),
                                       static_cast<int16_t>(table[p[8]]), static_cast<int16_t>(table[p[10]]),
                                       static_cast<int16_t>(table[p[12]]), static_cast<int16_t>(table[p[14]]));
      auto* d = reinterpret_cast<__m128i*>(dst + i);
      _mm_storeu_si128(d, blend8(c, _mm_loadu_si128(d), w));
    }
  }
  for (; i < n; ++i) {
    const uint32_t w = pairs[2 * i + 1] >> 3;
    if (w == 0) continue;
    const uint16_t c = table ? table[pairs[2 * i]] : rgb565(palette, pairs[2 * i]);
    dst[i] = blend565(c, dst[i], w);
  }
}

// The full per-pixel order: occlusion skip, highlight, mask, thinning, occlusion write, blend.
void full_pixel(const SPRITE_DRAW_STATE& st, const MASK_SET& masks, uint16_t* dst, int64_t px, int64_t py, uint8_t index, uint8_t alpha,
                const uint8_t* palette) {
  uint8_t* occ = occlusion_at(px, py);
  const int m = occ ? *occ : 0;
  if (st.occlusion_test && m > 250) return;
  highlight(st, px, py, alpha);
  int a = alpha;
  if (st.mask_test && mask_set_hit(masks, px + scene_view_origin.x, py + scene_view_origin.y)) {
    a = st.mask_see_through ? 80 : 0;
  }
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
  // A frame wholly off the target reads nothing of its stream.
  if (left >= tw || top >= th || left + frame->width() <= 0 || top + frame->height() <= 0) return;
  const uint8_t* palette = frame->palette();
  uint16_t table_words[256];
  const uint16_t* table = nullptr;
  if (plain && frame->stream_length() > kPaletteTableStream) {
    for (int i = 0; i < 256; ++i) table_words[i] = rgb565(palette, static_cast<uint8_t>(i));
    table = table_words;
  }
  MASK_SET masks;
  if (st.mask_test) {
    mask_set_for_rect(&masks, left + scene_view_origin.x, top + scene_view_origin.y,
                      left + scene_view_origin.x + frame->width(), top + scene_view_origin.y + frame->height());
  }
  img256_walk(*frame, [&](uint32_t row, uint32_t col, const uint8_t* pairs, uint32_t n) {
    const int64_t py = top + row;
    if (py < 0 || py >= th) return;
    const int64_t px0 = left + col;
    const int64_t a = std::max<int64_t>(px0, 0), b = std::min<int64_t>(px0 + n, tw);
    if (a >= b) return;
    uint16_t* dst = target->rows[py];
    const uint8_t* p = pairs + 2 * (a - px0);
    if (plain) {
      plain_span(dst + a, p, b - a, palette, table);
      return;
    }
    for (int64_t px = a; px < b; ++px, p += 2) full_pixel(st, masks, dst + px, px, py, p[0], p[1], palette);
  });
}

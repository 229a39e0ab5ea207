// The whole-buffer routines, eight pixels per SSE2 step. The arithmetic is that of the
// four-pixel MMX words; a row's last pixels are computed as a full step into a scratch word of
// which only the visible pixels are stored.
#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/blit_clip.h"
#include "graphics/cpu/mmx.h"

namespace {

constexpr int kLanes = 8;

__m128i splat(uint32_t v) { return _mm_set1_epi16(static_cast<short>(v & 0xFFFF)); }
__m128i count(uint32_t n) { return _mm_cvtsi32_si128(static_cast<int>(n)); }

// Applies k to n pixels (n <= 8) of s and d, storing only those n pixels.
template <class K>
void run_span(const uint16_t* s, uint16_t* d, int32_t n, const K& kernel) {
  // A local copy: the pixel stores cannot alias it, so its masks stay in registers.
  const K k = kernel;
  int32_t j = 0;
  for (; j + kLanes <= n; j += kLanes) {
    const __m128i vs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j));
    const __m128i vd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + j));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + j), k(vs, vd));
  }
  if (j < n) {
    alignas(16) uint16_t ts[kLanes] = {}, td[kLanes] = {}, tr[kLanes];
    const auto rest = static_cast<size_t>(n - j);
    std::memcpy(ts, s + j, rest * 2);
    std::memcpy(td, d + j, rest * 2);
    _mm_store_si128(reinterpret_cast<__m128i*>(tr),
                    k(_mm_load_si128(reinterpret_cast<const __m128i*>(ts)),
                      _mm_load_si128(reinterpret_cast<const __m128i*>(td))));
    std::memcpy(d + j, tr, rest * 2);
  }
}

template <class K>
void run_pairs(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, const K& k) {
  BlitClip c;
  if (!blit_clip(x, y, source, target, c)) return;
  for (int32_t i = 0; i < c.h; ++i) {
    run_span(source->rows[c.source_y + i] + c.source_x, target->rows[c.y + i] + c.x, c.w, k);
  }
}

// Rows of the bitmap one by one: a view's rows need not be contiguous.
template <class K>
void run_rows(BITMAP16* bitmap, const K& k) {
  if (!bitmap) return;
  for (uint32_t y = 0; y < bitmap->height; ++y) {
    run_span(bitmap->rows[y], bitmap->rows[y], static_cast<int32_t>(bitmap->width), k);
  }
}

// Per field t + floor((s - t) x L / 32), computed as floor((t x (32 - L) + s x L) / 32) so that
// no product is negative. Red and green lie at bit 5 or above and are scaled in place with
// high-half products by L x 2048, which are exact; blue, at bit 0, with low-half products.
// L = 0 changes nothing and is left out (32 x 2048 does not fit a lane).
struct Blend {
  int level;  // L, 0-31
  __m128i high_s, high_t, red, green, blue;
  explicit Blend(int lvl)
      : level(static_cast<int>((static_cast<uint32_t>(lvl) & 0xFF) >> 3)),
        high_s(splat(static_cast<uint32_t>(level) << 11)),
        high_t(splat(static_cast<uint32_t>(32 - level) << 11)),
        red(splat(mmx_masks.red)),
        green(splat(mmx_masks.green)),
        blue(splat(mmx_masks.blue)) {}
  bool changes_nothing() const { return level == 0; }
  __m128i operator()(__m128i s, __m128i t) const {
    const __m128i r = _mm_and_si128(
        _mm_add_epi16(_mm_mulhi_epu16(_mm_and_si128(s, red), high_s), _mm_mulhi_epu16(_mm_and_si128(t, red), high_t)),
        red);
    const __m128i g = _mm_and_si128(_mm_add_epi16(_mm_mulhi_epu16(_mm_and_si128(s, green), high_s),
                                                  _mm_mulhi_epu16(_mm_and_si128(t, green), high_t)),
                                    green);
    const __m128i b = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, blue), _mm_set1_epi16(static_cast<short>(level))),
                                                   _mm_mullo_epi16(_mm_and_si128(t, blue), _mm_set1_epi16(static_cast<short>(32 - level)))),
                                     5);
    return _mm_or_si128(_mm_or_si128(r, g), b);
  }
};

struct Mix {
  __m128i half = splat(mmx_masks.half);
  __m128i operator()(__m128i s, __m128i t) const {
    return _mm_add_epi16(_mm_srli_epi16(_mm_and_si128(s, half), 1), _mm_srli_epi16(_mm_and_si128(t, half), 1));
  }
};

// Keeps a constant in a register: without it the compiler trades each multiplication for a
// longer chain of shifts and adds.
__m128i opaque(__m128i v) {
  __asm__("" : "+x"(v));
  return v;
}

// The fixed shifts 11 and 6 hold for every format, as the screen routines always had them.
// 38 r + 76 g = 38 (r + 2 g).
struct Grey {
  __m128i red = splat(mmx_masks.red), green = splat(mmx_masks.green), blue = splat(mmx_masks.blue);
  __m128i k38 = opaque(_mm_set1_epi16(38)), k14 = opaque(_mm_set1_epi16(14));
  __m128i operator()(__m128i s, __m128i) const {
    const __m128i r = _mm_srli_epi16(_mm_and_si128(s, red), 11);
    const __m128i g = _mm_srli_epi16(_mm_and_si128(s, green), 6);
    const __m128i b = _mm_and_si128(s, blue);
    const __m128i rg = _mm_add_epi16(r, _mm_add_epi16(g, g));
    const __m128i y = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(rg, k38), _mm_mullo_epi16(b, k14)), 7);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(y, 11), _mm_slli_epi16(y, 6)), y);
  }
};

int low_bit(uint32_t mask) {
  int n = 0;
  while (mask && !((mask >> n) & 1u)) ++n;
  return n;
}

int width_of(uint32_t mask) {
  int n = 0;
  for (mask >>= low_bit(mask); mask & 1u; mask >>= 1) ++n;
  return n;
}

// Each field saturates as if moved to the top of its byte and added or subtracted with byte
// saturation. Red is moved to the top of the lane and saturates there; green and blue stay in
// place, where the sum never reaches the sign bit, and are clamped to their field.
template <bool Add>
struct Saturate {
  __m128i red = splat(mmx_masks.red), green = splat(mmx_masks.green), blue = splat(mmx_masks.blue);
  __m128i red_up = count(mmx_masks.red_shift);
  __m128i up(__m128i p) const { return _mm_sll_epi16(_mm_and_si128(p, red), red_up); }
  __m128i in_field(__m128i s, __m128i t, __m128i m) const {
    const __m128i fs = _mm_and_si128(s, m), ft = _mm_and_si128(t, m);
    return Add ? _mm_min_epi16(_mm_add_epi16(ft, fs), m) : _mm_max_epi16(_mm_sub_epi16(ft, fs), _mm_setzero_si128());
  }
  __m128i operator()(__m128i s, __m128i t) const {
    const __m128i r = Add ? _mm_adds_epu16(up(t), up(s)) : _mm_subs_epu16(up(t), up(s));
    return _mm_or_si128(_mm_and_si128(_mm_srl_epi16(r, red_up), red),
                        _mm_or_si128(in_field(s, t, green), in_field(s, t, blue)));
  }
};

// Brighten and darken by (r, g, b). An amount a added to a field's top byte moves a field of
// w bits by a >> (8 - w) (rounded up when subtracting), so green and blue are changed in place.
template <bool Add>
struct Shade {
  __m128i red = splat(mmx_masks.red), green = splat(mmx_masks.green), blue = splat(mmx_masks.blue);
  __m128i red_up = count(mmx_masks.red_shift);
  __m128i red_amount, green_amount, blue_amount;
  Shade(int r, int g, int b) {
    auto byte = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    auto in_place = [](uint32_t amount, uint32_t mask) {
      const int drop = 8 - width_of(mask);
      const uint32_t steps = Add ? amount >> drop : (amount + (1u << drop) - 1) >> drop;
      return splat(steps << low_bit(mask));
    };
    red_amount = splat(byte(r) << 8);
    green_amount = in_place(byte(g), mmx_masks.green);
    blue_amount = in_place(byte(b), mmx_masks.blue);
  }
  __m128i in_field(__m128i p, __m128i m, __m128i amount) const {
    const __m128i f = _mm_and_si128(p, m);
    return Add ? _mm_min_epi16(_mm_add_epi16(f, amount), m)
               : _mm_max_epi16(_mm_sub_epi16(f, amount), _mm_setzero_si128());
  }
  __m128i operator()(__m128i p, __m128i) const {
    const __m128i top = _mm_sll_epi16(_mm_and_si128(p, red), red_up);
    const __m128i r = Add ? _mm_adds_epu16(top, red_amount) : _mm_subs_epu16(top, red_amount);
    return _mm_or_si128(_mm_and_si128(_mm_srl_epi16(r, red_up), red),
                        _mm_or_si128(in_field(p, green, green_amount), in_field(p, blue, blue_amount)));
  }
};

void copy_rows(const BlitClip& c, BITMAP16* source, BITMAP16* target) {
  for (int32_t i = 0; i < c.h; ++i) {
    std::memmove(target->rows[c.y + i] + c.x, source->rows[c.source_y + i] + c.source_x,
                 static_cast<size_t>(c.w) * 2);
  }
}

}  // namespace

void mmx_blit_copy(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  BlitClip c;
  if (blit_clip(x, y, source, target, c)) copy_rows(c, source, target);
}

void mmx_blit_blend(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level) {
  const Blend blend(level);
  if (!blend.changes_nothing()) run_pairs(x, y, source, target, blend);
}

void mmx_fill_blend(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, int level) {
  BlitClip c;
  if (!target || !blit_clip_block(x, y, w, h, target->width, target->height, c)) return;
  const Blend blend(level);
  if (blend.changes_nothing()) return;
  const __m128i s = splat(colour);
  const auto k = [&](__m128i, __m128i t) { return blend(s, t); };
  for (int32_t i = 0; i < c.h; ++i) {
    uint16_t* row = target->rows[c.y + i] + c.x;
    run_span(row, row, c.w, k);
  }
}

void mmx_blit_mix(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) { run_pairs(x, y, source, target, Mix()); }

void mmx_blit_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  run_pairs(x, y, source, target, Grey());
}

void mmx_blit_add(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  run_pairs(x, y, source, target, Saturate<true>());
}

void mmx_blit_sub(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target) {
  run_pairs(x, y, source, target, Saturate<false>());
}

// Row by row rather than the pixel area as one block, which was wrong for views.
void mmx_brighten(int r, int g, int b, BITMAP16* bitmap) { run_rows(bitmap, Shade<true>(r, g, b)); }

void mmx_darken(int r, int g, int b, BITMAP16* bitmap) { run_rows(bitmap, Shade<false>(r, g, b)); }

void mmx_blit_copy_rect(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t w, int32_t h,
                        BITMAP16* source, BITMAP16* target) {
  if (!source || !target) return;
  // The block is first cut to the source, then placed and cut to the target.
  BlitClip in;
  if (!blit_clip_block(-static_cast<int64_t>(source_x), -static_cast<int64_t>(source_y),
                       static_cast<int64_t>(source->width), static_cast<int64_t>(source->height), w, h, in)) {
    return;
  }
  // in.x, in.y: offset of the visible part inside the block; in.source_x/y: its source corner
  // relative to source_x/y, which here is the block corner on the source.
  BlitClip out;
  if (!blit_clip_block(static_cast<int64_t>(x) + in.x, static_cast<int64_t>(y) + in.y, in.w, in.h, target->width,
                       target->height, out)) {
    return;
  }
  out.source_x += source_x + in.x;
  out.source_y += source_y + in.y;
  copy_rows(out, source, target);
}

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

int low_bit(uint32_t mask) {
  int n = 0;
  while (mask && !((mask >> n) & 1u)) ++n;
  return n;
}

// Applies k to n pixels (n <= 8) of s and d, storing only those n pixels.
template <class K>
void run_span(const uint16_t* s, uint16_t* d, int32_t n, const K& k) {
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

// Per field t + floor((s - t) x level / 32) in signed 16-bit lanes; level is 0-31.
struct Blend {
  __m128i level;
  __m128i masks[3];
  __m128i shifts[3];
  explicit Blend(int lvl) : level(_mm_set1_epi16(static_cast<short>((static_cast<uint32_t>(lvl) & 0xFF) >> 3))) {
    const uint16_t m[3] = {mmx_masks.red, mmx_masks.green, mmx_masks.blue};
    for (int i = 0; i < 3; ++i) {
      masks[i] = splat(m[i]);
      shifts[i] = count(static_cast<uint32_t>(low_bit(m[i])));
    }
  }
  __m128i operator()(__m128i s, __m128i t) const {
    __m128i out = _mm_setzero_si128();
    for (int i = 0; i < 3; ++i) {
      const __m128i fs = _mm_srl_epi16(_mm_and_si128(s, masks[i]), shifts[i]);
      const __m128i ft = _mm_srl_epi16(_mm_and_si128(t, masks[i]), shifts[i]);
      const __m128i step = _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(fs, ft), level), 5);
      const __m128i f = _mm_add_epi16(ft, step);
      out = _mm_or_si128(out, _mm_and_si128(_mm_sll_epi16(f, shifts[i]), masks[i]));
    }
    return out;
  }
};

struct Mix {
  __m128i half = splat(mmx_masks.half);
  __m128i operator()(__m128i s, __m128i t) const {
    return _mm_add_epi16(_mm_srli_epi16(_mm_and_si128(s, half), 1), _mm_srli_epi16(_mm_and_si128(t, half), 1));
  }
};

// The fixed shifts 11 and 6 hold for every format, as the screen routines always had them.
struct Grey {
  __m128i red = splat(mmx_masks.red), green = splat(mmx_masks.green), blue = splat(mmx_masks.blue);
  __m128i operator()(__m128i s, __m128i) const {
    const __m128i r = _mm_srli_epi16(_mm_and_si128(s, red), 11);
    const __m128i g = _mm_srli_epi16(_mm_and_si128(s, green), 6);
    const __m128i b = _mm_and_si128(s, blue);
    __m128i y = _mm_mullo_epi16(r, _mm_set1_epi16(38));
    y = _mm_add_epi16(y, _mm_mullo_epi16(g, _mm_set1_epi16(76)));
    y = _mm_add_epi16(y, _mm_mullo_epi16(b, _mm_set1_epi16(14)));
    y = _mm_srli_epi16(y, 7);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(y, 11), _mm_slli_epi16(y, 6)), y);
  }
};

// Each field moved to the top of its byte, so that byte saturation is field saturation.
struct Fields {
  __m128i masks[3];
  __m128i shifts[3];
  Fields() {
    const uint16_t m[3] = {mmx_masks.red, mmx_masks.green, mmx_masks.blue};
    const uint32_t sh[3] = {mmx_masks.red_shift, mmx_masks.green_shift, mmx_masks.blue_shift};
    for (int i = 0; i < 3; ++i) {
      masks[i] = splat(m[i]);
      shifts[i] = count(sh[i]);
    }
  }
  __m128i up(__m128i p, int i) const { return _mm_sll_epi16(_mm_and_si128(p, masks[i]), shifts[i]); }
  __m128i down(__m128i p, int i) const { return _mm_and_si128(_mm_srl_epi16(p, shifts[i]), masks[i]); }
};

template <bool Add>
struct Saturate : Fields {
  __m128i operator()(__m128i s, __m128i t) const {
    __m128i out = _mm_setzero_si128();
    for (int i = 0; i < 3; ++i) {
      const __m128i r = Add ? _mm_adds_epu8(up(t, i), up(s, i)) : _mm_subs_epu8(up(t, i), up(s, i));
      out = _mm_or_si128(out, down(r, i));
    }
    return out;
  }
};

// Red and green are added to each lane's high byte, blue to its low byte.
template <bool Add>
struct Shade : Fields {
  __m128i amounts[3];
  Shade(int r, int g, int b) {
    auto byte = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    amounts[0] = splat(byte(r) << 8);
    amounts[1] = splat(byte(g) << 8);
    amounts[2] = splat(byte(b));
  }
  __m128i operator()(__m128i p, __m128i) const {
    __m128i out = _mm_setzero_si128();
    for (int i = 0; i < 3; ++i) {
      const __m128i r = Add ? _mm_adds_epu8(up(p, i), amounts[i]) : _mm_subs_epu8(up(p, i), amounts[i]);
      out = _mm_or_si128(out, down(r, i));
    }
    return out;
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
  run_pairs(x, y, source, target, Blend(level));
}

void mmx_fill_blend(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, int level) {
  BlitClip c;
  if (!target || !blit_clip_block(x, y, w, h, target->width, target->height, c)) return;
  const Blend blend(level);
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

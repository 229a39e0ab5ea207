// AVX2 twins of the 2x1 and 2x2 decoder colour kernels: two output rows per step, one in each
// 128-bit lane, with the arithmetic of the SSE2 members lane for lane. This file is compiled
// with -mavx2 and its members are installed only after the processor check.
#include <immintrin.h>

#include "jpeg/vector_pixels_kernels.h"
#include "jpeg/vector_pixels_ops.h"

namespace jcodec {

namespace {

using namespace vpx;

enum class Out { Rgb, Bgr, Rgba, Quad };
enum class Pack { Masks, Words };

struct Terms2 {
  __m256i r, g, b;
};

inline Terms2 colour_terms2(__m256i cb, __m256i cr) {
  Terms2 t;
  t.r = _mm256_sub_epi16(_mm256_mulhi_epi16(_mm256_slli_epi16(cr, 4), _mm256_set1_epi16(5744)),
                         _mm256_set1_epi16(179));
  t.b = _mm256_sub_epi16(_mm256_mulhi_epi16(_mm256_slli_epi16(cb, 4), _mm256_set1_epi16(7264)),
                         _mm256_set1_epi16(227));
  const __m256i pair = _mm256_set1_epi32((88 << 16) | 183);
  const __m256i off = _mm256_set1_epi32(34806);
  __m256i lo = _mm256_madd_epi16(_mm256_unpacklo_epi16(cr, cb), pair);
  __m256i hi = _mm256_madd_epi16(_mm256_unpackhi_epi16(cr, cb), pair);
  lo = _mm256_srai_epi32(_mm256_sub_epi32(lo, off), 8);
  hi = _mm256_srai_epi32(_mm256_sub_epi32(hi, off), 8);
  t.g = _mm256_packs_epi32(lo, hi);  // within each lane, so the word order is kept
  return t;
}

inline __m256i load2(const int16_t* first, const int16_t* second) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(load8w(first)), load8w(second), 1);
}

// squeeze3 in each lane
inline __m256i squeeze3_2(__m256i d) {
  const __m256i lo = _mm256_set1_epi64x(0xFFFFFF), mid = _mm256_set1_epi64x(0xFFFFFF000000);
  const __m256i t = _mm256_or_si256(_mm256_and_si256(d, lo), _mm256_and_si256(_mm256_srli_epi64(d, 8), mid));
  const __m256i q0 = _mm256_and_si256(t, _mm256_setr_epi64x(-1, 0, -1, 0));
  return _mm256_or_si256(q0, _mm256_slli_si256(_mm256_srli_si256(t, 8), 6));
}

// The word-shuffle placement of vector_pixels_ops.h in each lane.
template <int Dwords, int Low, int High>
inline __m256i shuffle_words2(__m256i s) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(_mm256_shuffle_epi32(s, Dwords), Low), High);
}

template <int Reg, int Stream>
inline __m256i place2(__m256i s) {
  constexpr Placement p = placement(Reg, Stream);
  const __m256i t = shuffle_words2<p.dwords, p.low, p.high>(s);
  const __m128i m = _mm_setr_epi16(static_cast<int16_t>(p.mask[0]), static_cast<int16_t>(p.mask[1]),
                                   static_cast<int16_t>(p.mask[2]), static_cast<int16_t>(p.mask[3]),
                                   static_cast<int16_t>(p.mask[4]), static_cast<int16_t>(p.mask[5]),
                                   static_cast<int16_t>(p.mask[6]), static_cast<int16_t>(p.mask[7]));
  return _mm256_and_si256(t, _mm256_broadcastsi128_si256(m));
}
template <int Reg>
inline __m256i placed2(__m256i sa, __m256i sb, __m256i sc) {
  return _mm256_or_si256(_mm256_or_si256(place2<Reg, 0>(sa), place2<Reg, 1>(sb)), place2<Reg, 2>(sc));
}

// Three 16-byte pieces per lane: row o0 from lane 0, row o1 from lane 1.
inline void store_rows3(uint8_t* o0, uint8_t* o1, __m256i p0, __m256i p1, __m256i p2) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o0), _mm256_permute2x128_si256(p0, p1, 0x20));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o0 + 32), _mm256_castsi256_si128(p2));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o1), _mm256_permute2x128_si256(p0, p1, 0x31));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o1 + 32), _mm256_extracti128_si256(p2, 1));
}

template <Pack P>
inline void store3x16x2(uint8_t* o0, uint8_t* o1, __m256i a, __m256i b, __m256i c) {
  if constexpr (P == Pack::Words) {
    const __m256i lo = _mm256_set1_epi16(0x00FF), hi = _mm256_set1_epi16(static_cast<int16_t>(0xFF00));
    const __m256i sa = _mm256_or_si256(_mm256_and_si256(a, lo), _mm256_slli_epi16(b, 8));
    const __m256i sb = _mm256_or_si256(_mm256_and_si256(c, lo), _mm256_and_si256(a, hi));
    const __m256i sc = _mm256_or_si256(_mm256_srli_epi16(b, 8), _mm256_and_si256(c, hi));
    store_rows3(o0, o1, placed2<0>(sa, sb, sc), placed2<1>(sa, sb, sc), placed2<2>(sa, sb, sc));
  } else {
    const __m256i z = _mm256_setzero_si256();
    const __m256i ab_lo = _mm256_unpacklo_epi8(a, b), ab_hi = _mm256_unpackhi_epi8(a, b);
    const __m256i c_lo = _mm256_unpacklo_epi8(c, z), c_hi = _mm256_unpackhi_epi8(c, z);
    const __m256i q0 = squeeze3_2(_mm256_unpacklo_epi16(ab_lo, c_lo));
    const __m256i q1 = squeeze3_2(_mm256_unpackhi_epi16(ab_lo, c_lo));
    const __m256i q2 = squeeze3_2(_mm256_unpacklo_epi16(ab_hi, c_hi));
    const __m256i q3 = squeeze3_2(_mm256_unpackhi_epi16(ab_hi, c_hi));
    store_rows3(o0, o1, _mm256_or_si256(q0, _mm256_slli_si256(q1, 12)),
                _mm256_or_si256(_mm256_srli_si256(q1, 4), _mm256_slli_si256(q2, 8)),
                _mm256_or_si256(_mm256_srli_si256(q2, 8), _mm256_slli_si256(q3, 4)));
  }
}

inline void store4x16x2(uint8_t* o0, uint8_t* o1, __m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i ab_lo = _mm256_unpacklo_epi8(a, b), ab_hi = _mm256_unpackhi_epi8(a, b);
  const __m256i cd_lo = _mm256_unpacklo_epi8(c, d), cd_hi = _mm256_unpackhi_epi8(c, d);
  const __m256i w0 = _mm256_unpacklo_epi16(ab_lo, cd_lo), w1 = _mm256_unpackhi_epi16(ab_lo, cd_lo);
  const __m256i w2 = _mm256_unpacklo_epi16(ab_hi, cd_hi), w3 = _mm256_unpackhi_epi16(ab_hi, cd_hi);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o0), _mm256_permute2x128_si256(w0, w1, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o0 + 32), _mm256_permute2x128_si256(w2, w3, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o1), _mm256_permute2x128_si256(w0, w1, 0x31));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o1 + 32), _mm256_permute2x128_si256(w2, w3, 0x31));
}

inline const int16_t* luma_row(const int16_t* b, int y) { return b + ((y >> 3) * 2 << 6) + ((y & 7) << 3); }

// An MCU two blocks wide: each step writes rows y0 and y0 + 1; 2x1 takes the terms of two
// chroma rows, 2x2 those of one chroma row in both lanes.
template <int VS, Out F, Pack P = Pack::Masks>
void ycc_h2_mcu(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  const int16_t* cb = b + 2 * VS * 64;
  const int16_t* cr = cb + 64;
  const int16_t* k4 = cb + 128;
  for (int y0 = 0; y0 < 8 * VS; y0 += 2) {
    Terms2 t;
    if constexpr (VS == 1) {
      t = colour_terms2(load2(cb + y0 * 8, cb + y0 * 8 + 8), load2(cr + y0 * 8, cr + y0 * 8 + 8));
    } else {
      const Terms t1 = colour_terms(load8w(cb + (y0 / 2) * 8), load8w(cr + (y0 / 2) * 8));
      t = Terms2{_mm256_broadcastsi128_si256(t1.r), _mm256_broadcastsi128_si256(t1.g),
                 _mm256_broadcastsi128_si256(t1.b)};
    }
    const __m256i yl = load2(luma_row(b, y0), luma_row(b, y0 + 1));
    const __m256i yr = load2(luma_row(b, y0) + 64, luma_row(b, y0 + 1) + 64);
    const __m256i r = _mm256_packus_epi16(_mm256_adds_epi16(yl, _mm256_unpacklo_epi16(t.r, t.r)),
                                          _mm256_adds_epi16(yr, _mm256_unpackhi_epi16(t.r, t.r)));
    const __m256i g = _mm256_packus_epi16(_mm256_subs_epi16(yl, _mm256_unpacklo_epi16(t.g, t.g)),
                                          _mm256_subs_epi16(yr, _mm256_unpackhi_epi16(t.g, t.g)));
    const __m256i bl = _mm256_packus_epi16(_mm256_adds_epi16(yl, _mm256_unpacklo_epi16(t.b, t.b)),
                                           _mm256_adds_epi16(yr, _mm256_unpackhi_epi16(t.b, t.b)));
    uint8_t* o0 = out + y0 * step;
    uint8_t* o1 = o0 + step;
    if constexpr (F == Out::Rgb) store3x16x2<P>(o0, o1, r, g, bl);
    if constexpr (F == Out::Bgr) store3x16x2<P>(o0, o1, bl, g, r);
    if constexpr (F == Out::Rgba) store4x16x2(o0, o1, r, g, bl, _mm256_set1_epi8(-1));
    if constexpr (F == Out::Quad) {
      const __m256i ones = _mm256_set1_epi8(-1);
      const __m256i k = _mm256_packus_epi16(load2(luma_row(k4, y0), luma_row(k4, y0 + 1)),
                                            load2(luma_row(k4, y0) + 64, luma_row(k4, y0 + 1) + 64));
      store4x16x2(o0, o1, _mm256_xor_si256(r, ones), _mm256_xor_si256(g, ones), _mm256_xor_si256(bl, ones), k);
    }
  }
}

}  // namespace

void ycc_h2v1_to_rgb_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<1, Out::Rgb>(b, o, s); }
void ycc_h2v1_to_bgr_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<1, Out::Bgr>(b, o, s); }
void ycc_h2v1_to_rgb_v64x_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) {
  ycc_h2_mcu<1, Out::Rgb, Pack::Words>(b, o, s);
}
void ycc_h2v1_to_bgr_v64x_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) {
  ycc_h2_mcu<1, Out::Bgr, Pack::Words>(b, o, s);
}
void ycc_h2v2_to_rgb_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<2, Out::Rgb>(b, o, s); }
void ycc_h2v2_to_bgr_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<2, Out::Bgr>(b, o, s); }
void ycc_h2v1_to_rgba_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<1, Out::Rgba>(b, o, s); }
void ycc_h2v2_to_rgba_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<2, Out::Rgba>(b, o, s); }
void ycc4_to_quad_h2v1_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<1, Out::Quad>(b, o, s); }
void ycc4_to_quad_h2v2_v64_avx2(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_h2_mcu<2, Out::Quad>(b, o, s); }

}  // namespace jcodec

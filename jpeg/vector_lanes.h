// Lane helpers and constants shared by the vector transforms and their AVX2 twins. Everything
// here has internal linkage: each file compiles its own copy with its own instruction set.
#pragma once
#include <emmintrin.h>

#include <cstdint>

namespace jcodec {
namespace {

using V = __m128i;

inline V add(V a, V b) { return _mm_add_epi16(a, b); }
inline V sub(V a, V b) { return _mm_sub_epi16(a, b); }
inline V adds(V a, V b) { return _mm_adds_epi16(a, b); }
inline V subs(V a, V b) { return _mm_subs_epi16(a, b); }
inline V mulhi(V a, V c) { return _mm_mulhi_epi16(a, c); }
inline V shl(V a, int n) { return _mm_slli_epi16(a, n); }

// ---- constant tables ------------------------------------------------------------------------------

struct alignas(16) Lanes {
  int16_t v[8];
};
constexpr Lanes rep(int16_t c) { return Lanes{{c, c, c, c, c, c, c, c}}; }

// Fast forward DCT multipliers: 0.70711 (x2), 0.38268, 0.54120 (x2), 1.30656 (x4).
alignas(16) constexpr Lanes kFdctFast[4] = {rep(23168), rep(25088), rep(17792), rep(21376)};
// Fast inverse DCT: 1.40625, 1.84766, 1.08203 (Q14), -2.61328 (Q13); the level shift.
alignas(16) constexpr Lanes kIdctFast[5] = {rep(23040), rep(30272), rep(17728), rep(-21408), rep(128)};
// Accurate transforms: tan(pi/16), tan(2pi/16), tan(3pi/16) - 1 (Q16), cos(pi/4) - 1 (Q16),
// cos(pi/4) (Q15); the ones vector, the column rounders 16 and 15 and the level shift.
alignas(16) constexpr Lanes kAccurate[9] = {rep(13036), rep(27146), rep(-21746), rep(-19195), rep(23170),
                                            rep(1),     rep(16),    rep(15),     rep(128)};
// Quantiser clamp: -8192..8191.
alignas(16) constexpr Lanes kClamp[2] = {rep(-8192), rep(8191)};

inline V ld(const Lanes& l) { return _mm_load_si128(reinterpret_cast<const V*>(l.v)); }

// ---- lane helpers ---------------------------------------------------------------------------------

template <bool kAligned>
inline V load(const int16_t* p) {
  if constexpr (kAligned) return _mm_load_si128(reinterpret_cast<const V*>(p));
  return _mm_loadu_si128(reinterpret_cast<const V*>(p));
}
template <bool kAligned>
inline void store(int16_t* p, V v) {
  if constexpr (kAligned)
    _mm_store_si128(reinterpret_cast<V*>(p), v);
  else
    _mm_storeu_si128(reinterpret_cast<V*>(p), v);
}

template <bool kAligned>
inline void load_block(const int16_t* b, V x[8]) {
  for (int i = 0; i < 8; ++i) x[i] = load<kAligned>(b + 8 * i);
}
template <bool kAligned>
inline void store_block(int16_t* b, const V x[8]) {
  for (int i = 0; i < 8; ++i) store<kAligned>(b + 8 * i, x[i]);
}

inline void transpose(V x[8]) {
  const V a0 = _mm_unpacklo_epi16(x[0], x[1]), a1 = _mm_unpackhi_epi16(x[0], x[1]);
  const V a2 = _mm_unpacklo_epi16(x[2], x[3]), a3 = _mm_unpackhi_epi16(x[2], x[3]);
  const V a4 = _mm_unpacklo_epi16(x[4], x[5]), a5 = _mm_unpackhi_epi16(x[4], x[5]);
  const V a6 = _mm_unpacklo_epi16(x[6], x[7]), a7 = _mm_unpackhi_epi16(x[6], x[7]);
  const V b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const V b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const V b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const V b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  x[0] = _mm_unpacklo_epi64(b0, b4), x[1] = _mm_unpackhi_epi64(b0, b4);
  x[2] = _mm_unpacklo_epi64(b1, b5), x[3] = _mm_unpackhi_epi64(b1, b5);
  x[4] = _mm_unpacklo_epi64(b2, b6), x[5] = _mm_unpackhi_epi64(b2, b6);
  x[6] = _mm_unpacklo_epi64(b3, b7), x[7] = _mm_unpackhi_epi64(b3, b7);
}

inline V pack_level(V v) {
  const V s = adds(v, ld(kAccurate[8]));
  return _mm_unpacklo_epi8(_mm_packus_epi16(s, s), _mm_setzero_si128());
}

inline void idct_accurate_columns(V x[8]) {
  const V c13036 = ld(kAccurate[0]), c27146 = ld(kAccurate[1]), c21746 = ld(kAccurate[2]),
          c19195 = ld(kAccurate[3]), one = ld(kAccurate[5]), r16 = ld(kAccurate[6]), r15 = ld(kAccurate[7]);
  const V tp17 = adds(x[1], mulhi(x[7], c13036)), tm17 = subs(mulhi(x[1], c13036), x[7]);
  const V tp35 = adds(x[3], adds(x[5], mulhi(x[5], c21746)));
  const V m35 = subs(x[5], adds(x[3], mulhi(x[3], c21746)));
  const V b0 = adds(adds(tp17, tp35), one), t1 = subs(tp17, tp35);
  const V t2 = adds(subs(tm17, m35), one), b3 = adds(tm17, m35);
  const V sp = adds(t1, t2), sm = subs(t1, t2);
  const V b1 = _mm_or_si128(adds(sp, mulhi(sp, c19195)), one);
  const V b2 = _mm_or_si128(adds(sm, mulhi(sm, c19195)), one);
  const V tp26 = adds(x[2], mulhi(x[6], c27146)), tm26 = subs(mulhi(x[2], c27146), x[6]);
  const V e = adds(x[0], x[4]), f = subs(x[0], x[4]);
  const V a0 = adds(e, tp26), a3 = subs(e, tp26), a1 = adds(f, tm26), a2 = subs(f, tm26);
  const V a0r = adds(a0, r16), a1r = adds(a1, r16), a2r = adds(a2, r15), a3r = adds(a3, r15);
  x[0] = pack_level(_mm_srai_epi16(adds(a0r, b0), 5));
  x[7] = pack_level(_mm_srai_epi16(subs(a0r, b0), 5));
  x[1] = pack_level(_mm_srai_epi16(adds(a1r, b1), 5));
  x[6] = pack_level(_mm_srai_epi16(subs(a1r, b1), 5));
  x[2] = pack_level(_mm_srai_epi16(adds(a2r, b2), 5));
  x[5] = pack_level(_mm_srai_epi16(subs(a2r, b2), 5));
  x[3] = pack_level(_mm_srai_epi16(adds(a3r, b3), 5));
  x[4] = pack_level(_mm_srai_epi16(subs(a3r, b3), 5));
}

}  // namespace
}  // namespace jcodec

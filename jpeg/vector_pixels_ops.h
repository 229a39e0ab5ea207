// Lane helpers shared by the vector pixel kernels. Everything here has internal linkage: the
// AVX2 sources include it too, and their copies must never stand in for the baseline ones.
#pragma once
#include <emmintrin.h>

#include <cstdint>

namespace {
namespace vpx {

// ---- decoder: colour terms ----

struct Terms {
  __m128i r, g, b;  // eight 16-bit terms each
};

// red = mulhi(16 Cr, 5744) - 179, blue = mulhi(16 Cb, 7264) - 227 (floored products), green =
// (183 Cr + 88 Cb - 34806) >> 8 in 32 bits (its range does not fit 16 bits before the shift).
inline Terms colour_terms(__m128i cb, __m128i cr) {
  Terms t;
  t.r = _mm_sub_epi16(_mm_mulhi_epi16(_mm_slli_epi16(cr, 4), _mm_set1_epi16(5744)), _mm_set1_epi16(179));
  t.b = _mm_sub_epi16(_mm_mulhi_epi16(_mm_slli_epi16(cb, 4), _mm_set1_epi16(7264)), _mm_set1_epi16(227));
  const __m128i pair = _mm_set1_epi32((88 << 16) | 183);  // Cr word first, then Cb
  const __m128i off = _mm_set1_epi32(34806);
  __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(cr, cb), pair);
  __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(cr, cb), pair);
  lo = _mm_srai_epi32(_mm_sub_epi32(lo, off), 8);
  hi = _mm_srai_epi32(_mm_sub_epi32(hi, off), 8);
  t.g = _mm_packs_epi32(lo, hi);
  return t;
}

// ---- decoder: byte placement ----

// Four pixels held as 32-bit [c0 c1 c2 0] become their 12 bytes at the bottom; the top four
// bytes come out zero.
inline __m128i squeeze3(__m128i d) {
  const __m128i lo = _mm_set1_epi64x(0xFFFFFF), mid = _mm_set1_epi64x(0xFFFFFF000000);
  const __m128i t = _mm_or_si128(_mm_and_si128(d, lo), _mm_and_si128(_mm_srli_epi64(d, 8), mid));
  return _mm_or_si128(_mm_move_epi64(t), _mm_slli_si128(_mm_srli_si128(t, 8), 6));
}

// 16 three-byte pixels from the byte vectors of their first, second and third bytes: 48 bytes.
inline void store3x16(uint8_t* o, __m128i a, __m128i b, __m128i c) {
  const __m128i z = _mm_setzero_si128();
  const __m128i ab_lo = _mm_unpacklo_epi8(a, b), ab_hi = _mm_unpackhi_epi8(a, b);
  const __m128i c_lo = _mm_unpacklo_epi8(c, z), c_hi = _mm_unpackhi_epi8(c, z);
  const __m128i q0 = squeeze3(_mm_unpacklo_epi16(ab_lo, c_lo));
  const __m128i q1 = squeeze3(_mm_unpackhi_epi16(ab_lo, c_lo));
  const __m128i q2 = squeeze3(_mm_unpacklo_epi16(ab_hi, c_hi));
  const __m128i q3 = squeeze3(_mm_unpackhi_epi16(ab_hi, c_hi));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_or_si128(_mm_srli_si128(q1, 4), _mm_slli_si128(q2, 8)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 32), _mm_or_si128(_mm_srli_si128(q2, 8), _mm_slli_si128(q3, 4)));
}

// Eight three-byte pixels from the low halves: 24 bytes, nothing written past them.
inline void store3x8(uint8_t* o, __m128i a, __m128i b, __m128i c) {
  const __m128i ab = _mm_unpacklo_epi8(a, b), cz = _mm_unpacklo_epi8(c, _mm_setzero_si128());
  const __m128i q0 = squeeze3(_mm_unpacklo_epi16(ab, cz));
  const __m128i q1 = squeeze3(_mm_unpackhi_epi16(ab, cz));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(o + 16), _mm_srli_si128(q1, 4));
}

inline void store4x16(uint8_t* o, __m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i ab_lo = _mm_unpacklo_epi8(a, b), ab_hi = _mm_unpackhi_epi8(a, b);
  const __m128i cd_lo = _mm_unpacklo_epi8(c, d), cd_hi = _mm_unpackhi_epi8(c, d);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi16(ab_lo, cd_lo));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_unpackhi_epi16(ab_lo, cd_lo));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 32), _mm_unpacklo_epi16(ab_hi, cd_hi));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 48), _mm_unpackhi_epi16(ab_hi, cd_hi));
}

inline void store4x8(uint8_t* o, __m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i ab = _mm_unpacklo_epi8(a, b), cd = _mm_unpacklo_epi8(c, d);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi16(ab, cd));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_unpackhi_epi16(ab, cd));
}

// The word-shuffle road for 16 three-byte pixels: the output is the word stream A0 B0 C0 A1 B1
// C1 ... with A_k = (a, b of pixel 2k), B_k = (c of pixel 2k, a of 2k + 1), C_k = (b, c of
// 2k + 1); each of the three output registers picks its words from A, B and C by a dword
// shuffle, a word shuffle in each half and a mask.
struct Placement {
  int dwords, low, high;
  uint16_t mask[8];
};
constexpr Placement placement(int reg, int stream) {
  Placement p{0, 0, 0, {}};
  int dsel[4] = {0, 0, 0, 0};
  int wsel[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  for (int h = 0; h < 2; ++h) {
    int kmin = -1;
    for (int pos = 4 * h; pos < 4 * h + 4; ++pos) {
      const int n = 8 * reg + pos;
      if (n % 3 == stream && kmin < 0) kmin = n / 3;
    }
    if (kmin < 0) continue;
    const int da = kmin / 2, db = kmin < 7 ? (kmin + 1) / 2 : 3;  // k = 7 is alone in its half
    dsel[2 * h] = da;
    dsel[2 * h + 1] = db;
    for (int pos = 4 * h; pos < 4 * h + 4; ++pos) {
      const int n = 8 * reg + pos;
      if (n % 3 != stream) continue;
      const int k = n / 3;
      wsel[pos] = (k / 2 == da) ? k % 2 : 2 + k % 2;
      p.mask[pos] = 0xFFFF;
    }
  }
  p.dwords = dsel[0] | dsel[1] << 2 | dsel[2] << 4 | dsel[3] << 6;
  p.low = wsel[0] | wsel[1] << 2 | wsel[2] << 4 | wsel[3] << 6;
  p.high = wsel[4] | wsel[5] << 2 | wsel[6] << 4 | wsel[7] << 6;
  return p;
}

// The shuffle controls as template arguments: unoptimised builds need them as literal immediates.
template <int Dwords, int Low, int High>
inline __m128i shuffle_words(__m128i s) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(_mm_shuffle_epi32(s, Dwords), Low), High);
}

template <int Reg, int Stream>
inline __m128i place(__m128i s) {
  constexpr Placement p = placement(Reg, Stream);
  const __m128i t = shuffle_words<p.dwords, p.low, p.high>(s);
  const __m128i m = _mm_setr_epi16(static_cast<int16_t>(p.mask[0]), static_cast<int16_t>(p.mask[1]),
                                   static_cast<int16_t>(p.mask[2]), static_cast<int16_t>(p.mask[3]),
                                   static_cast<int16_t>(p.mask[4]), static_cast<int16_t>(p.mask[5]),
                                   static_cast<int16_t>(p.mask[6]), static_cast<int16_t>(p.mask[7]));
  return _mm_and_si128(t, m);
}

template <int Reg>
inline __m128i placed(__m128i sa, __m128i sb, __m128i sc) {
  return _mm_or_si128(_mm_or_si128(place<Reg, 0>(sa), place<Reg, 1>(sb)), place<Reg, 2>(sc));
}

inline void store3x16_words(uint8_t* o, __m128i a, __m128i b, __m128i c) {
  const __m128i lo = _mm_set1_epi16(0x00FF), hi = _mm_set1_epi16(static_cast<int16_t>(0xFF00));
  const __m128i sa = _mm_or_si128(_mm_and_si128(a, lo), _mm_slli_epi16(b, 8));
  const __m128i sb = _mm_or_si128(_mm_and_si128(c, lo), _mm_and_si128(a, hi));
  const __m128i sc = _mm_or_si128(_mm_srli_epi16(b, 8), _mm_and_si128(c, hi));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), placed<0>(sa, sb, sc));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), placed<1>(sa, sb, sc));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 32), placed<2>(sa, sb, sc));
}

inline __m128i load8w(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// ---- encoder: pixel gathering ----

// Four three-byte pixels at bytes 0..11 of x become 32-bit [c0 c1 c2 0]; bytes 12..15 are ignored.
inline __m128i widen3(__m128i x) {
  const __m128i t = _mm_unpacklo_epi64(x, _mm_srli_si128(x, 6));
  const __m128i lo = _mm_set1_epi64x(0xFFFFFF), hi = _mm_set1_epi64x(0xFFFFFF00000000);
  return _mm_or_si128(_mm_and_si128(t, lo), _mm_and_si128(_mm_slli_epi64(t, 8), hi));
}

// The word pairs of the multiply-adds: (c0, c1) and (c2, 1). Summed over n pixels the second
// becomes (sum c2, n), so the chroma rounding n x 128 comes out of the same product.
struct Pairs {
  __m128i p01, p2;
};
inline Pairs pairs_of(__m128i d) {  // d: [c0 c1 c2 x], x ignored
  const __m128i m = _mm_set1_epi32(0xFF);
  Pairs p;
  p.p01 = _mm_or_si128(_mm_and_si128(d, m), _mm_slli_epi32(_mm_and_si128(d, _mm_set1_epi32(0xFF00)), 8));
  p.p2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(d, 16), m), _mm_set1_epi32(0x10000));
  return p;
}
inline Pairs add_pairs(const Pairs& a, const Pairs& b) {
  return Pairs{_mm_add_epi16(a.p01, b.p01), _mm_add_epi16(a.p2, b.p2)};
}
// Sums of horizontal neighbours: pixels 0+1, 2+3 of x, then 0+1, 2+3 of y.
inline __m128i pair_sums(__m128i x, __m128i y) {
  const __m128i sx = _mm_add_epi16(x, _mm_srli_si128(x, 4)), sy = _mm_add_epi16(y, _mm_srli_si128(y, 4));
  return _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(sx), _mm_castsi128_ps(sy), _MM_SHUFFLE(2, 0, 2, 0)));
}
inline Pairs pair_sums(const Pairs& a, const Pairs& b) {
  return Pairs{pair_sums(a.p01, b.p01), pair_sums(a.p2, b.p2)};
}

constexpr int32_t word_pair(int32_t lo, int32_t hi) {
  return static_cast<int32_t>((static_cast<uint32_t>(hi) << 16) | (static_cast<uint32_t>(lo) & 0xFFFF));
}

// Coefficients of one output for the pairs (c0, c1) and (c2, 1).
struct Coef {
  int32_t p01, p2;
};
struct Coefs {
  Coef y, cb, cr;
};
// R,G,B bytes; B,G,R bytes take the same rows mirrored.
constexpr Coefs kRgb{{word_pair(77, 150), word_pair(29, -32640)},
                     {word_pair(-43, -85), word_pair(128, 128)},
                     {word_pair(128, -107), word_pair(-21, 128)}};
constexpr Coefs kBgr{{word_pair(29, 150), word_pair(77, -32640)},
                     {word_pair(128, -85), word_pair(-43, 128)},
                     {word_pair(-21, -107), word_pair(128, 128)}};

template <int Shift>
inline __m128i apply(const Pairs& p, Coef c) {
  const __m128i s = _mm_add_epi32(_mm_madd_epi16(p.p01, _mm_set1_epi32(c.p01)), _mm_madd_epi16(p.p2, _mm_set1_epi32(c.p2)));
  return _mm_srai_epi32(s, Shift);
}

inline void store8w(int16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace vpx
}  // namespace

// The members that use 256-bit registers; this file alone is compiled with AVX2 enabled, and
// nothing in it runs unless vector_use_avx2() said so.
#include <immintrin.h>

#include "jpeg/vector_kernels.h"
#include "jpeg/vector_lanes.h"

namespace jcodec {

void vector_clear_upper_avx2() { _mm256_zeroupper(); }

namespace {

using Y = __m256i;

inline Y load_pair(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const Y*>(p)); }

// The inverse row pass with the rows 0-3 and 4-7 of each product in the two 128-bit lanes. The
// 32-bit sums are those of the SSE2 member; the packs work within lanes, so the halves are put
// back together after packing.
inline void row_pass_inverse_avx2(const V in[8], V out[8]) {
  const int16_t* even = vector_inverse_even_pairs();
  const int16_t* odd = vector_inverse_odd_pairs();
  Y e[2], o[2];
  for (int q = 0; q < 2; ++q) {
    e[q] = _mm256_set_m128i(_mm_unpackhi_epi16(in[4 * q], in[4 * q + 2]), _mm_unpacklo_epi16(in[4 * q], in[4 * q + 2]));
    o[q] = _mm256_set_m128i(_mm_unpackhi_epi16(in[4 * q + 1], in[4 * q + 3]),
                            _mm_unpacklo_epi16(in[4 * q + 1], in[4 * q + 3]));
  }
  const Y rnd = _mm256_set1_epi32(2048);
  for (int n = 0; n < 4; ++n) {
    // [n][q] is 32 bytes: half 0 then half 1
    const Y ev = _mm256_add_epi32(_mm256_add_epi32(rnd, _mm256_madd_epi16(e[0], load_pair(even + (2 * n) * 16))),
                                  _mm256_madd_epi16(e[1], load_pair(even + (2 * n + 1) * 16)));
    const Y od = _mm256_add_epi32(_mm256_madd_epi16(o[0], load_pair(odd + (2 * n) * 16)),
                                  _mm256_madd_epi16(o[1], load_pair(odd + (2 * n + 1) * 16)));
    const Y packed = _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(ev, od), 12),
                                        _mm256_srai_epi32(_mm256_sub_epi32(ev, od), 12));
    const V lo = _mm256_castsi256_si128(packed), hi = _mm256_extracti128_si256(packed, 1);
    out[n] = _mm_unpacklo_epi64(lo, hi);
    out[7 - n] = _mm_unpackhi_epi64(lo, hi);
  }
}

}  // namespace

namespace {

inline void idct_from_coefficients(int16_t* b, V x[8]) {
  V y[8];
  transpose(x);
  row_pass_inverse_avx2(x, y);
  transpose(y);
  idct_accurate_columns(y);
  store_block<false>(b, y);
}

}  // namespace

void idct_accurate_8x8_v128_avx2(int16_t* b) {
  V x[8];
  load_block<false>(b, x);
  idct_from_coefficients(b, x);
}

void idct_accurate_8x8_dequant_v128_avx2(int16_t* b, const int16_t* t) {
  V x[8];
  for (int i = 0; i < 8; ++i) x[i] = _mm_mullo_epi16(load<false>(b + 8 * i), load<false>(t + 8 * i));
  idct_from_coefficients(b, x);
}

}  // namespace jcodec

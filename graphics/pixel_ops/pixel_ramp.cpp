#include "graphics/pixel_ops/pixel_ramp.h"

#include <emmintrin.h>

#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/pixel_ops/pixel_ops_fixed.h"

namespace {

using pixel_rows::FixedConstants;
using pixel_rows::Fixed;

// The low 32 bits of each lane's product (SSE2 has no 32-bit multiply).
__m128i mul_lo32(__m128i x, __m128i y) {
  const __m128i even = _mm_mul_epu32(x, y);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), _mm_srli_epi64(y, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Four pixels in 32-bit lanes, by the family's own rule: spread, one multiplication, fold.
template <const FixedConstants& K>
__m128i blend4(__m128i s, __m128i d, __m128i a) {
  const __m128i g = _mm_set1_epi32(static_cast<int>(K.g)), low = _mm_set1_epi32(static_cast<int>(K.spread_low));
  const __m128i mask = _mm_set1_epi32(static_cast<int>(Fixed<K>::kSpreadMask));
  const __m128i xs = _mm_or_si128(_mm_slli_epi32(_mm_and_si128(s, g), 16), _mm_and_si128(s, low));
  const __m128i xd = _mm_or_si128(_mm_slli_epi32(_mm_and_si128(d, g), 16), _mm_and_si128(d, low));
  const __m128i prod = _mm_srli_epi32(mul_lo32(_mm_sub_epi32(xs, xd), a), 5);
  const __m128i r = _mm_and_si128(_mm_add_epi32(prod, xd), mask);
  return _mm_or_si128(_mm_srli_epi32(r, 16), _mm_and_si128(r, _mm_set1_epi32(0xFFFF)));
}

// Eight 32-bit lanes holding 16-bit values back to eight words (packs saturates signed values).
__m128i pack_words(__m128i lo, __m128i hi) {
  lo = _mm_srai_epi32(_mm_slli_epi32(lo, 16), 16);
  hi = _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16);
  return _mm_packs_epi32(lo, hi);
}

template <const FixedConstants& K>
void ramp_fixed(const uint16_t* src, const uint16_t* under, uint16_t* dst, int32_t n, int32_t first_level) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lane_lo = _mm_set_epi32(3, 2, 1, 0), lane_hi = _mm_set_epi32(7, 6, 5, 4);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(under + i));
    const __m128i level = _mm_set1_epi32(first_level - i);
    const __m128i a_lo = _mm_srli_epi32(_mm_sub_epi32(level, lane_lo), 3);
    const __m128i a_hi = _mm_srli_epi32(_mm_sub_epi32(level, lane_hi), 3);
    const __m128i lo = blend4<K>(_mm_unpacklo_epi16(s, zero), _mm_unpacklo_epi16(d, zero), a_lo);
    const __m128i hi = blend4<K>(_mm_unpackhi_epi16(s, zero), _mm_unpackhi_epi16(d, zero), a_hi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), pack_words(lo, hi));
  }
  for (; i < n; ++i) {
    uint16_t p = under[i];
    Fixed<K>::blend(&src[i], &p, first_level - i);
    dst[i] = p;
  }
}

void ramp_slot(const uint16_t* src, const uint16_t* under, uint16_t* dst, int32_t n, int32_t first_level) {
  const auto blend = pixel_ops.blend;
  for (int32_t i = 0; i < n; ++i) {
    uint16_t p = under[i];
    blend(&src[i], &p, first_level - i);
    dst[i] = p;
  }
}

}  // namespace

void pixel_blend_ramp(const uint16_t* src, const uint16_t* under, uint16_t* dst, int32_t n, int32_t first_level) {
  using namespace pixel_rows;
  // The installed slot decides; a fixed family's slot is matched to its vector form.
  const auto blend = pixel_ops.blend;
  if (blend == &Fixed<kConst565>::blend) {
    ramp_fixed<kConst565>(src, under, dst, n, first_level);
  } else if (blend == &Fixed<kConst555>::blend) {
    ramp_fixed<kConst555>(src, under, dst, n, first_level);
  } else if (blend == &Fixed<kConst655>::blend) {
    ramp_fixed<kConst655>(src, under, dst, n, first_level);
  } else if (blend == &Fixed<kConst556>::blend) {
    ramp_fixed<kConst556>(src, under, dst, n, first_level);
  } else {
    ramp_slot(src, under, dst, n, first_level);
  }
}

// Encoder-side vector kernels (SSE2): one whole MCU of pixels into level-shifted blocks. They
// compute exactly the generic formulas (32-bit multiply-adds, chroma from pixel sums), so the
// blocks are the generic ones bit for bit.
#include "jpeg/vector_pixels_kernels.h"
#include "jpeg/vector_pixels_ops.h"

namespace jcodec {

namespace {

using namespace vpx;

enum class In { Rgb, Bgr, Quad };

inline __m128i load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// N pixels (8 or 16) of one row as groups of four: word pairs for the multiply-adds and, for
// four-byte pixels, the fourth bytes as 32-bit values.
template <In F, int N>
struct Row {
  Pairs g[N / 4];
  __m128i k[N / 4];
};

template <In F, int N>
inline Row<F, N> load_row(const uint8_t* p) {
  Row<F, N> r;
  __m128i d[N / 4];
  if constexpr (F == In::Quad) {
    const __m128i flip = _mm_set1_epi32(0x00FFFFFF);  // the first three bytes taken inverted
    for (int i = 0; i < N / 4; ++i) {
      const __m128i x = load16(p + 16 * i);
      d[i] = _mm_xor_si128(x, flip);
      r.k[i] = _mm_srli_epi32(x, 24);
    }
  } else if constexpr (N == 8) {
    // 24 bytes: no load reaches past the row
    const __m128i a = load16(p), b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 16));
    d[0] = widen3(a);
    d[1] = widen3(_mm_or_si128(_mm_srli_si128(a, 12), _mm_slli_si128(b, 4)));
  } else {
    const __m128i a = load16(p), b = load16(p + 16), c = load16(p + 32);
    d[0] = widen3(a);
    d[1] = widen3(_mm_or_si128(_mm_srli_si128(a, 12), _mm_slli_si128(b, 4)));
    d[2] = widen3(_mm_or_si128(_mm_srli_si128(b, 8), _mm_slli_si128(c, 8)));
    d[3] = widen3(_mm_srli_si128(c, 4));
  }
  for (int i = 0; i < N / 4; ++i) r.g[i] = pairs_of(d[i]);
  return r;
}

template <In F>
constexpr Coefs coefs() {
  return F == In::Bgr ? kBgr : kRgb;
}

template <In F>
inline __m128i luma8(const Pairs& a, const Pairs& b) {
  return _mm_packs_epi32(apply<8>(a, coefs<F>().y), apply<8>(b, coefs<F>().y));
}

inline __m128i fourth8(__m128i k0, __m128i k1) {
  return _mm_sub_epi16(_mm_packs_epi32(k0, k1), _mm_set1_epi16(128));
}

template <In F>
void block_mcu(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  for (int y = 0; y < 8; ++y) {
    const Row<F, 8> r = load_row<F, 8>(px + y * step);
    store8w(b + y * 8, luma8<F>(r.g[0], r.g[1]));
    store8w(b + 64 + y * 8, _mm_packs_epi32(apply<8>(r.g[0], coefs<F>().cb), apply<8>(r.g[1], coefs<F>().cb)));
    store8w(b + 128 + y * 8, _mm_packs_epi32(apply<8>(r.g[0], coefs<F>().cr), apply<8>(r.g[1], coefs<F>().cr)));
    if constexpr (F == In::Quad) store8w(b + 192 + y * 8, fourth8(r.k[0], r.k[1]));
  }
}

// Luma (and the fourth component) of one 16-pixel row y of an MCU HS = 2 blocks wide.
template <In F, int VS>
inline void row16_full(const Row<F, 16>& r, int y, int16_t* b) {
  const int at = ((y >> 3) * 128) + ((y & 7) << 3);
  store8w(b + at, luma8<F>(r.g[0], r.g[1]));
  store8w(b + at + 64, luma8<F>(r.g[2], r.g[3]));
  if constexpr (F == In::Quad) {
    int16_t* k = b + (VS == 1 ? 256 : 384);
    store8w(k + at, fourth8(r.k[0], r.k[1]));
    store8w(k + at + 64, fourth8(r.k[2], r.k[3]));
  }
}

// Chroma of eight horizontal pairs (of single pixels or of summed rows): the rounding comes
// from the (c2, n) pair, the shift is 9 for sums of two pixels and 10 for four.
template <In F, int Shift>
inline void chroma8(const Pairs& s0, const Pairs& s1, int16_t* cb, int16_t* cr) {
  store8w(cb, _mm_packs_epi32(apply<Shift>(s0, coefs<F>().cb), apply<Shift>(s1, coefs<F>().cb)));
  store8w(cr, _mm_packs_epi32(apply<Shift>(s0, coefs<F>().cr), apply<Shift>(s1, coefs<F>().cr)));
}

template <In F>
void h2v1_mcu(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  for (int y = 0; y < 8; ++y) {
    const Row<F, 16> r = load_row<F, 16>(px + y * step);
    row16_full<F, 1>(r, y, b);
    chroma8<F, 9>(pair_sums(r.g[0], r.g[1]), pair_sums(r.g[2], r.g[3]), b + 128 + y * 8, b + 192 + y * 8);
  }
}

template <In F>
void h2v2_mcu(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  for (int cy = 0; cy < 8; ++cy) {
    const Row<F, 16> r0 = load_row<F, 16>(px + 2 * cy * step);
    const Row<F, 16> r1 = load_row<F, 16>(px + (2 * cy + 1) * step);
    row16_full<F, 2>(r0, 2 * cy, b);
    row16_full<F, 2>(r1, 2 * cy + 1, b);
    Pairs v[4];
    for (int i = 0; i < 4; ++i) v[i] = add_pairs(r0.g[i], r1.g[i]);
    chroma8<F, 10>(pair_sums(v[0], v[1]), pair_sums(v[2], v[3]), b + 256 + cy * 8, b + 320 + cy * 8);
  }
}

// Two-byte pixels Y0, Cb, Y1, Cr: the chroma words of a row, Cb then Cr.
template <bool WordShuffle>
inline void split_chroma(__m128i c0, __m128i c1, __m128i* cb, __m128i* cr) {
  if constexpr (WordShuffle) {
    // Cb0 Cr0 Cb1 Cr1 .. -> Cb0 Cb1 Cr0 Cr1 in each half, then the dwords -> Cb0..Cb3 Cr0..Cr3
    const auto gather = [](__m128i c) {
      c = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
      return _mm_shuffle_epi32(c, _MM_SHUFFLE(3, 1, 2, 0));
    };
    const __m128i a = gather(c0), b = gather(c1);
    *cb = _mm_unpacklo_epi64(a, b);
    *cr = _mm_unpackhi_epi64(a, b);
  } else {
    *cb = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(c0, 16), 16), _mm_srai_epi32(_mm_slli_epi32(c1, 16), 16));
    *cr = _mm_packs_epi32(_mm_srli_epi32(c0, 16), _mm_srli_epi32(c1, 16));
  }
}

template <bool WordShuffle>
void split422_mcu(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  const __m128i lo = _mm_set1_epi16(0xFF), shift = _mm_set1_epi16(128);
  for (int y = 0; y < 8; ++y) {
    const __m128i x0 = load16(px + y * step), x1 = load16(px + y * step + 16);
    store8w(b + y * 8, _mm_sub_epi16(_mm_and_si128(x0, lo), shift));
    store8w(b + 64 + y * 8, _mm_sub_epi16(_mm_and_si128(x1, lo), shift));
    __m128i cb, cr;
    split_chroma<WordShuffle>(_mm_srli_epi16(x0, 8), _mm_srli_epi16(x1, 8), &cb, &cr);
    store8w(b + 128 + y * 8, _mm_sub_epi16(cb, shift));
    store8w(b + 192 + y * 8, _mm_sub_epi16(cr, shift));
  }
}

}  // namespace

void gray_to_block_v64(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  const __m128i z = _mm_setzero_si128(), shift = _mm_set1_epi16(128);
  for (int y = 0; y < 8; y += 2) {
    const __m128i r0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(px + y * step));
    const __m128i r1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(px + (y + 1) * step));
    store8w(b + y * 8, _mm_sub_epi16(_mm_unpacklo_epi8(r0, z), shift));
    store8w(b + y * 8 + 8, _mm_sub_epi16(_mm_unpacklo_epi8(r1, z), shift));
  }
}

void rgb_to_ycc_block_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { block_mcu<In::Rgb>(p, s, b); }
void bgr_to_ycc_block_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { block_mcu<In::Bgr>(p, s, b); }
void rgb_to_ycc_h2v1_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { h2v1_mcu<In::Rgb>(p, s, b); }
void bgr_to_ycc_h2v1_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { h2v1_mcu<In::Bgr>(p, s, b); }
void rgb_to_ycc_h2v2_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { h2v2_mcu<In::Rgb>(p, s, b); }
void bgr_to_ycc_h2v2_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { h2v2_mcu<In::Bgr>(p, s, b); }
void ycc422_split_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { split422_mcu<false>(p, s, b); }
void ycc422_split_v64x(const uint8_t* p, ptrdiff_t s, int16_t* b) { split422_mcu<true>(p, s, b); }
void quad_to_ycc4_block_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { block_mcu<In::Quad>(p, s, b); }
void quad_to_ycc4_h2v1_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { h2v1_mcu<In::Quad>(p, s, b); }
void quad_to_ycc4_h2v2_v64(const uint8_t* p, ptrdiff_t s, int16_t* b) { h2v2_mcu<In::Quad>(p, s, b); }

}  // namespace jcodec

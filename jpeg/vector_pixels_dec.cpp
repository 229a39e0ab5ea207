// Decoder-side vector colour kernels (SSE2): one whole MCU of samples 0..255 into pixels. The
// red and blue terms are floored products, so red and blue can come out one below the generic
// kernels; green is the same. Clamping is by saturation, with no branch on the data.
#include "jpeg/vector_pixels_kernels.h"
#include "jpeg/vector_pixels_ops.h"

namespace jcodec {

namespace {

using namespace vpx;

enum class Out { Rgb, Bgr, Rgba, Quad };
enum class Pack { Masks, Words };  // how three-byte pixels are assembled (same bytes)

template <Out F>
inline void put8(uint8_t* o, __m128i r, __m128i g, __m128i b, __m128i k) {
  if constexpr (F == Out::Rgb) store3x8(o, r, g, b);
  if constexpr (F == Out::Bgr) store3x8(o, b, g, r);
  if constexpr (F == Out::Rgba) store4x8(o, r, g, b, _mm_set1_epi8(-1));
  if constexpr (F == Out::Quad) {
    const __m128i ones = _mm_set1_epi8(-1);  // 255 - v is v with every bit flipped
    store4x8(o, _mm_xor_si128(r, ones), _mm_xor_si128(g, ones), _mm_xor_si128(b, ones), k);
  }
}

template <Out F, Pack P>
inline void put16(uint8_t* o, __m128i r, __m128i g, __m128i b, __m128i k) {
  if constexpr (F == Out::Rgb || F == Out::Bgr) {
    const __m128i first = F == Out::Rgb ? r : b, third = F == Out::Rgb ? b : r;
    if constexpr (P == Pack::Words)
      store3x16_words(o, first, g, third);
    else
      store3x16(o, first, g, third);
  }
  if constexpr (F == Out::Rgba) store4x16(o, r, g, b, _mm_set1_epi8(-1));
  if constexpr (F == Out::Quad) {
    const __m128i ones = _mm_set1_epi8(-1);
    store4x16(o, _mm_xor_si128(r, ones), _mm_xor_si128(g, ones), _mm_xor_si128(b, ones), k);
  }
}

// Luma blocks (and the fourth component's, which share their layout) of an MCU of HS x VS
// blocks: the row y of the left or only block.
template <int HS>
inline const int16_t* luma_row(const int16_t* b, int y) {
  return b + ((y >> 3) * HS << 6) + ((y & 7) << 3);
}

template <int HS, int VS, Out F, Pack P = Pack::Masks>
void ycc_mcu(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  const int16_t* cb = b + HS * VS * 64;
  const int16_t* cr = cb + 64;
  const int16_t* k4 = cb + 128;
  for (int cy = 0; cy < 8; ++cy) {
    const Terms t = colour_terms(load8w(cb + cy * 8), load8w(cr + cy * 8));
    if constexpr (HS == 1) {
      const __m128i y = load8w(b + cy * 8);
      const __m128i r = _mm_adds_epi16(y, t.r), g = _mm_subs_epi16(y, t.g), bl = _mm_adds_epi16(y, t.b);
      __m128i k = _mm_setzero_si128();
      if constexpr (F == Out::Quad) k = _mm_packus_epi16(load8w(k4 + cy * 8), k);
      put8<F>(out + cy * step, _mm_packus_epi16(r, r), _mm_packus_epi16(g, g), _mm_packus_epi16(bl, bl), k);
    } else {
      // each chroma term serves the two pixels of its horizontal pair
      const __m128i rl = _mm_unpacklo_epi16(t.r, t.r), rh = _mm_unpackhi_epi16(t.r, t.r);
      const __m128i gl = _mm_unpacklo_epi16(t.g, t.g), gh = _mm_unpackhi_epi16(t.g, t.g);
      const __m128i bl = _mm_unpacklo_epi16(t.b, t.b), bh = _mm_unpackhi_epi16(t.b, t.b);
      for (int dy = 0; dy < VS; ++dy) {
        const int y = cy * VS + dy;
        const int16_t* row = luma_row<HS>(b, y);
        const __m128i yl = load8w(row), yr = load8w(row + 64);
        const __m128i r = _mm_packus_epi16(_mm_adds_epi16(yl, rl), _mm_adds_epi16(yr, rh));
        const __m128i g = _mm_packus_epi16(_mm_subs_epi16(yl, gl), _mm_subs_epi16(yr, gh));
        const __m128i bb = _mm_packus_epi16(_mm_adds_epi16(yl, bl), _mm_adds_epi16(yr, bh));
        __m128i k = _mm_setzero_si128();
        if constexpr (F == Out::Quad) {
          const int16_t* krow = luma_row<HS>(k4, y);
          k = _mm_packus_epi16(load8w(krow), load8w(krow + 64));
        }
        put16<F, P>(out + y * step, r, g, bb, k);
      }
    }
  }
}

}  // namespace

void gray_block_to_gray_v64(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  // two rows per step; the unsigned pack clamps below 0 and above 255
  for (int y = 0; y < 8; y += 2) {
    const __m128i v = _mm_packus_epi16(load8w(b + y * 8), load8w(b + y * 8 + 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + y * step), v);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (y + 1) * step), _mm_srli_si128(v, 8));
  }
}

void ycc_to_rgb_block_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<1, 1, Out::Rgb>(b, o, s); }
void ycc_to_bgr_block_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<1, 1, Out::Bgr>(b, o, s); }
void ycc_h2v1_to_rgb_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 1, Out::Rgb>(b, o, s); }
void ycc_h2v1_to_bgr_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 1, Out::Bgr>(b, o, s); }
void ycc_h2v1_to_rgb_v64x(const int16_t* b, uint8_t* o, ptrdiff_t s) {
  ycc_mcu<2, 1, Out::Rgb, Pack::Words>(b, o, s);
}
void ycc_h2v1_to_bgr_v64x(const int16_t* b, uint8_t* o, ptrdiff_t s) {
  ycc_mcu<2, 1, Out::Bgr, Pack::Words>(b, o, s);
}
void ycc_h2v2_to_rgb_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 2, Out::Rgb>(b, o, s); }
void ycc_h2v2_to_bgr_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 2, Out::Bgr>(b, o, s); }
void ycc_to_rgba_block_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<1, 1, Out::Rgba>(b, o, s); }
void ycc_h2v1_to_rgba_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 1, Out::Rgba>(b, o, s); }
void ycc_h2v2_to_rgba_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 2, Out::Rgba>(b, o, s); }
void ycc4_to_quad_block_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<1, 1, Out::Quad>(b, o, s); }
void ycc4_to_quad_h2v1_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 1, Out::Quad>(b, o, s); }
void ycc4_to_quad_h2v2_v64(const int16_t* b, uint8_t* o, ptrdiff_t s) { ycc_mcu<2, 2, Out::Quad>(b, o, s); }

void ycc_h2v1_to_422_v64(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  // per row: Y0 Cb Y1 Cr for each pixel pair, every value clamped to 0..255 by the packs
  const int16_t* cb = b + 128;
  const int16_t* cr = b + 192;
  for (int y = 0; y < 8; ++y) {
    const __m128i yy = _mm_packus_epi16(load8w(b + y * 8), load8w(b + 64 + y * 8));
    const __m128i u = load8w(cb + y * 8), v = load8w(cr + y * 8);
    const __m128i uv = _mm_packus_epi16(_mm_unpacklo_epi16(u, v), _mm_unpackhi_epi16(u, v));
    uint8_t* o = out + y * step;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(yy, uv));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_unpackhi_epi8(yy, uv));
  }
}

}  // namespace jcodec

// Forward and inverse DCTs, quantisers, dequantisers and the quantisation-table preparations.
// Products are formed in 64 bits where crafted coefficients could pass 2^31; on valid data the
// results equal the 32-bit arithmetic of the reference flow.
#include <cstring>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

inline int64_t mul15(int64_t v, int64_t c) { return (v * c + 0x4000) >> 15; }

inline int16_t clamp8(int64_t x) {
  if (x < -128) return 0;
  if (x > 127) return 255;
  return static_cast<int16_t>(x + 128);
}

inline int16_t wrap16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// Rounds toward zero after the Q15 multiply by sqrt(2).
inline int64_t half(int64_t v) { return mul15(v, 46341) / 2; }

}  // namespace

void kernel_leave_generic() {}

// ---- forward transforms -------------------------------------------------------------------------

void fdct_fast(int16_t* b) {
  alignas(32) int32_t tmp[64];
  auto flow = [](const int64_t* x, int64_t* out) {
    int64_t s07 = x[0] + x[7], s16 = x[1] + x[6], s25 = x[2] + x[5], s34 = x[3] + x[4];
    int64_t d07 = x[0] - x[7], d16 = x[1] - x[6], d25 = x[2] - x[5], d34 = x[3] - x[4];
    int64_t t10 = s07 + s34, t13 = s07 - s34, t11 = s16 + s25, t12 = s16 - s25;
    out[0] = t10 + t11;
    out[4] = t10 - t11;
    int64_t z1 = mul15(t12 + t13, 23170);
    out[2] = t13 + z1;
    out[6] = t13 - z1;
    int64_t z5 = mul15(d34 + d25 - d16 - d07, 12540);
    int64_t z2 = z5 + mul15(d34 + d25, 17734);
    int64_t z4 = z5 + mul15(d16 + d07, 42813);
    int64_t z3 = mul15(d25 + d16, 23170);
    int64_t z11 = d07 + z3, z13 = d07 - z3;
    out[5] = z13 + z2;
    out[3] = z13 - z2;
    out[1] = z11 + z4;
    out[7] = z11 - z4;
  };
  int64_t x[8], o[8];
  for (int r = 0; r < 8; ++r) {
    for (int i = 0; i < 8; ++i) x[i] = b[r * 8 + i];
    flow(x, o);
    for (int i = 0; i < 8; ++i) tmp[r * 8 + i] = static_cast<int32_t>(o[i]);
  }
  for (int c = 0; c < 8; ++c) {
    for (int i = 0; i < 8; ++i) x[i] = tmp[i * 8 + c];
    flow(x, o);
    for (int i = 0; i < 8; ++i) b[i * 8 + c] = wrap16(o[i]);
  }
}

namespace {

// One vector of the accurate forward flow; rounding and shift differ between the passes.
void fdct_accurate_vec(const int64_t* x, int64_t* out, bool column) {
  const int64_t rnd = column ? 0x100000 : 2048;
  const int sh = column ? 21 : 12;
  int64_t l = x[0] + x[7], m = x[3] + x[4], o = x[1] + x[6], r = x[2] + x[5];
  if (column) {
    out[0] = (l + m + o + r + 32) >> 6;
    out[4] = (l + m - o - r + 32) >> 6;
  } else {
    out[0] = wrap16((l + m + o + r) * 8);
    out[4] = wrap16((l + m - o - r) * 8);
  }
  out[2] = ((l - m) * 42813 + (o - r) * 17734 + rnd) >> sh;
  out[6] = ((l - m) * 17734 - (o - r) * 42813 + rnd) >> sh;
  int64_t t = ((x[0] - x[7]) * 46341 + 2048) >> 12;
  int64_t u = ((x[3] - x[4]) * 46341 + 2048) >> 12;
  int64_t v = (x[1] + x[2] - x[5] - x[6]) * 8;
  int64_t a = (x[1] + x[5] - x[6] - x[2]) * 8;
  int64_t w = v + t, bb = a + u;
  out[1] = (w * 4017 + bb * 799 + rnd) >> sh;
  out[7] = (w * 799 - bb * 4017 + rnd) >> sh;
  int64_t t2 = t - v, u2 = u - a;
  out[5] = (t2 * 2276 + u2 * 3406 + rnd) >> sh;
  out[3] = (t2 * 3406 - u2 * 2276 + rnd) >> sh;
}

}  // namespace

void fdct_accurate(int16_t* b) {
  int64_t x[8], o[8];
  for (int r = 0; r < 8; ++r) {
    for (int i = 0; i < 8; ++i) x[i] = b[r * 8 + i];
    fdct_accurate_vec(x, o, false);
    for (int i = 0; i < 8; ++i) b[r * 8 + i] = wrap16(o[i]);
  }
  for (int c = 0; c < 8; ++c) {
    for (int i = 0; i < 8; ++i) x[i] = b[i * 8 + c];
    fdct_accurate_vec(x, o, true);
    for (int i = 0; i < 8; ++i) b[i * 8 + c] = wrap16(o[i]);
  }
}

// ---- fast inverse transforms ----------------------------------------------------------------------

namespace {

inline void idct_fast_flow(const int64_t* c, int64_t* out) {
  int64_t e = mul15(c[5] + c[7] - c[3] - c[1], 25080);
  int64_t f = mul15(c[1] + c[7] - c[5] - c[3], 46341);
  int64_t g = c[1] + c[3] + c[5] + c[7];
  int64_t h = e - mul15(c[5] - c[3], 85627);
  int64_t l = mul15(c[1] - c[7], 35468) - e - g;
  int64_t u = c[2] + c[6];
  int64_t v = mul15(c[2] - c[6], 46341) - u;
  int64_t t0 = c[0] + c[4], t1 = c[0] - c[4];
  out[0] = t0 + u + g;
  out[7] = t0 + u - g;
  out[1] = t1 + v + l;
  out[6] = t1 + v - l;
  out[2] = t1 - v + (f - l);
  out[5] = t1 - v - (f - l);
  out[4] = t0 - u + (h + f - l);
  out[3] = t0 - u - (h + f - l);
}

}  // namespace

void idct_fast_8x8(int16_t* b) {
  int64_t c[8], o[8];
  for (int col = 0; col < 8; ++col) {
    for (int i = 0; i < 8; ++i) c[i] = b[i * 8 + col];
    idct_fast_flow(c, o);
    for (int i = 0; i < 8; ++i) b[i * 8 + col] = wrap16(o[i]);
  }
  for (int r = 0; r < 8; ++r) {
    for (int i = 0; i < 8; ++i) c[i] = b[r * 8 + i];
    idct_fast_flow(c, o);
    for (int i = 0; i < 8; ++i) b[r * 8 + i] = clamp8((o[i] + 8) >> 4);
  }
}

namespace {

inline void idct_fast4_flow(const int64_t* c, int64_t* out) {
  int64_t e = half(c[2] - c[6]);
  int64_t p = c[5] - c[3];
  int64_t d = c[1] - c[7];
  int64_t k1 = (d * 60548 - p * 25080 + 0x8000) >> 16;
  int64_t k2 = (p * 60547 + d * 25080 + 0x8000) >> 16;
  out[0] = c[0] + e + k1;
  out[1] = c[0] - e + k2;
  out[2] = c[0] - e - k2;
  out[3] = c[0] + e - k1;
}

}  // namespace

void idct_fast_4x4(int16_t* b) {
  int64_t c[8], o[4];
  static const int kCols[7] = {0, 1, 2, 3, 5, 6, 7};
  for (int col : kCols) {
    for (int i = 0; i < 8; ++i) c[i] = b[i * 8 + col];
    idct_fast4_flow(c, o);
    for (int i = 0; i < 4; ++i) b[i * 8 + col] = wrap16(o[i]);
  }
  for (int r = 0; r < 4; ++r) {
    for (int i = 0; i < 8; ++i) c[i] = b[r * 8 + i];
    idct_fast4_flow(c, o);
    for (int i = 0; i < 4; ++i) b[r * 8 + i] = clamp8((o[i] + 8) >> 4);
  }
}

void idct_fast_2x2(int16_t* b) {
  static const int kCols[5] = {0, 1, 3, 5, 7};
  for (int col : kCols) {
    int64_t c0 = b[col], c1 = b[8 + col], c3 = b[24 + col], c5 = b[40 + col], c7 = b[56 + col];
    int64_t k = ((c1 - c7) * 85627 + (c5 - c3) * 35468 + 0x10000) >> 17;
    b[col] = wrap16(c0 + k);
    b[8 + col] = wrap16(c0 - k);
  }
  for (int r = 0; r < 2; ++r) {
    int16_t* e = b + r * 8;
    int64_t k = ((int64_t(e[1]) - e[7]) * 85627 + (int64_t(e[5]) - e[3]) * 35468 + 0x10000) >> 17;
    int64_t e0 = e[0];
    e[0] = clamp8((e0 + k + 8) >> 4);
    e[1] = clamp8((e0 - k + 8) >> 4);
  }
}

void idct_fast_1x1(int16_t* b) {
  int32_t c0 = b[0];
  b[0] = c0 < -2056 ? 0 : c0 >= 2040 ? 255 : static_cast<int16_t>(((c0 + 8) >> 4) + 128);
}

// ---- accurate inverse transforms -------------------------------------------------------------------

namespace {

// The accurate flow in 32-bit arithmetic that wraps (unsigned) where crafted coefficients could
// pass 2^31; valid data never comes near, so the results are those of the plain flow.
using U = uint32_t;
inline int32_t s32(U v) { return static_cast<int32_t>(v); }

// kUsed: inputs from kUsed on are known to be zero (folded away).
template <int kIn, class T, int kUsed = 8>
[[gnu::always_inline]] inline void idct_accurate_flow(const T* c, int32_t* s, U rnd, int sh) {
  const U c0 = U(c[0]), c1 = kUsed > 1 ? U(c[kIn]) : 0, c2 = kUsed > 2 ? U(c[2 * kIn]) : 0,
          c3 = kUsed > 3 ? U(c[3 * kIn]) : 0, c4 = kUsed > 4 ? U(c[4 * kIn]) : 0, c5 = kUsed > 5 ? U(c[5 * kIn]) : 0,
          c6 = kUsed > 6 ? U(c[6 * kIn]) : 0, c7 = kUsed > 7 ? U(c[7 * kIn]) : 0;
  const U f = c1 * 6393u - c7 * 32138u;
  const U g = c5 * 27246u - c3 * 18205u;
  const U h = c7 * 6393u + c1 * 32138u;
  const U l = c5 * 18205u + c3 * 27246u;
  const U e = U(s32(f + g + 2048u) >> 12) * 5793u;
  const U t = U(s32(h + l + 2048u) >> 12) * 5793u;
  const U p = h + f - l - g;
  const U q = h + g - l - f;
  const U r = (c0 - c4) << 15;
  const U u = (c0 + c4) << 15;
  const U w = c2 * 42813u + c6 * 17734u;
  const U bb = c2 * 17734u - c6 * 42813u;
  s[0] = s32(t + u + w + rnd) >> sh;
  s[7] = s32(u + w - t + rnd) >> sh;
  s[1] = s32(p + r + bb + rnd) >> sh;
  s[6] = s32(r + bb - p + rnd) >> sh;
  s[2] = s32(q + (r - bb) + rnd) >> sh;
  s[5] = s32((r - bb) - q + rnd) >> sh;
  s[3] = s32(e + (u - w) + rnd) >> sh;
  s[4] = s32((u - w) - e + rnd) >> sh;
}

inline int16_t clamp8_32(int32_t x) { return static_cast<int16_t>(x < -128 ? 0 : x > 127 ? 255 : x + 128); }

// Coefficient i of the block, dequantised when a table is given: the product keeps its low 16
// bits, as the separate dequantiser stores it.
template <bool kQ>
inline int32_t coef(const int16_t* b, const int16_t* q, int i) {
  if constexpr (kQ) return static_cast<int16_t>(b[i] * q[i]);
  return b[i];
}

// 64-bit words 2r and 2r+1 hold row r; true when the row has no AC coefficient.
inline bool row_ac_zero(const uint64_t* w, int r) { return ((w[2 * r] & ~uint64_t(0xFFFF)) | w[2 * r + 1]) == 0; }

// Second pass; the branch on the used rows stays outside so the columns run alike.
template <int kUsed>
inline void column_pass(const int32_t* tmp, int16_t* b) {
  for (int col = 0; col < 8; ++col) {
    int32_t o[8];
    idct_accurate_flow<8, int32_t, kUsed>(tmp + col, o, 0x100000u, 21);
    for (int i = 0; i < 8; ++i) b[i * 8 + col] = clamp8_32(o[i]);
  }
}

template <bool kQ>
void idct_accurate_8x8_impl(int16_t* b, const int16_t* q) {
  uint64_t w[16];
  std::memcpy(w, b, sizeof w);
  uint64_t rest = 0;
  for (int i = 2; i < 16; ++i) rest |= w[i];
  if (rest == 0 && row_ac_zero(w, 0)) {
    // what the two passes give for a lone DC
    const int16_t v = clamp8_32(s32(U(coef<kQ>(b, q, 0)) * 8u * 32768u + 0x100000u) >> 21);
    const uint64_t v4 = uint64_t(uint16_t(v)) * 0x0001000100010001ull;
    for (int i = 0; i < 16; ++i) w[i] = v4;
    std::memcpy(b, w, sizeof w);
    return;
  }
  alignas(32) int32_t tmp[64];
  int used = 0;  // rows up to the last one with a coefficient
  for (int r = 0; r < 8; ++r) {
    const int16_t* c = b + r * 8;
    if (row_ac_zero(w, r)) {
      const int32_t dc = s32(U(coef<kQ>(c, q + r * 8, 0)) * 8u);  // (c0 << 15 + 2048) >> 12
      for (int i = 0; i < 8; ++i) tmp[r * 8 + i] = dc;
      if (dc) used = r + 1;
      continue;
    }
    int32_t x[8];
    for (int i = 0; i < 8; ++i) x[i] = coef<kQ>(c, q + r * 8, i);
    idct_accurate_flow<1>(x, tmp + r * 8, 2048u, 12);
    used = r + 1;
  }
  if (used <= 1) {
    for (int col = 0; col < 8; ++col) {
      const int16_t v = clamp8_32(s32(U(tmp[col]) * 32768u + 0x100000u) >> 21);
      for (int i = 0; i < 8; ++i) b[i * 8 + col] = v;
    }
  } else if (used <= 2) {
    column_pass<2>(tmp, b);
  } else if (used <= 4) {
    column_pass<4>(tmp, b);
  } else {
    column_pass<8>(tmp, b);
  }
}

}  // namespace

void idct_accurate_8x8(int16_t* b) { idct_accurate_8x8_impl<false>(b, nullptr); }

void idct_accurate_8x8_dequant(int16_t* b, const int16_t* q) { idct_accurate_8x8_impl<true>(b, q); }

void idct_accurate_4x4(int16_t* b) {
  int64_t tmp[4][8] = {};
  static const int kCols[7] = {0, 1, 2, 3, 5, 6, 7};
  for (int col : kCols) {
    int64_t c[8];
    for (int i = 0; i < 8; ++i) c[i] = b[i * 8 + col];
    if (c[1] == 0 && c[2] == 0 && c[3] == 0 && c[5] == 0 && c[6] == 0 && c[7] == 0) {
      for (int i = 0; i < 4; ++i) tmp[i][col] = c[0] * 4;
      continue;
    }
    int64_t t0 = c[0] * 16384;
    int64_t z = c[2] * 15137 - c[6] * 6270;
    int64_t t10 = t0 + z, t12 = t0 - z;
    int64_t t2 = c[3] * 7373 + c[1] * 20995 - c[5] * 4926 - c[7] * 4176;
    int64_t t0b = c[5] * 11893 + c[1] * 8697 - c[3] * 17799 - c[7] * 1730;
    tmp[0][col] = (t10 + t2 + 2048) >> 12;
    tmp[3][col] = (t10 - t2 + 2048) >> 12;
    tmp[1][col] = (t12 + t0b + 2048) >> 12;
    tmp[2][col] = (t12 - t0b + 2048) >> 12;
  }
  for (int r = 0; r < 4; ++r) {
    const int64_t* c = tmp[r];
    int16_t* out = b + r * 8;
    if (c[1] == 0 && c[2] == 0 && c[3] == 0 && c[5] == 0 && c[6] == 0 && c[7] == 0) {
      int16_t v = clamp8((c[0] + 16) >> 5);
      for (int i = 0; i < 4; ++i) out[i] = v;
      continue;
    }
    int64_t t0 = c[0] * 16384;
    int64_t z = c[2] * 15137 - c[6] * 6270;
    int64_t t10 = t0 + z, t12 = t0 - z;
    int64_t t2 = c[3] * 7373 + c[1] * 20995 - c[5] * 4926 - c[7] * 4176;
    int64_t t0b = c[5] * 11893 + c[1] * 8697 - c[3] * 17799 - c[7] * 1730;
    out[0] = clamp8((t10 + t2 + 0x40000) >> 19);
    out[3] = clamp8((t10 - t2 + 0x40000) >> 19);
    out[1] = clamp8((t12 + t0b + 0x40000) >> 19);
    out[2] = clamp8((t12 - t0b + 0x40000) >> 19);
  }
}

void idct_accurate_2x2(int16_t* b) {
  int64_t tmp[2][8] = {};
  static const int kCols[5] = {0, 1, 3, 5, 7};
  for (int col : kCols) {
    int64_t c0 = b[col], c1 = b[8 + col], c3 = b[24 + col], c5 = b[40 + col], c7 = b[56 + col];
    if (c1 == 0 && c3 == 0 && c5 == 0 && c7 == 0) {
      tmp[0][col] = tmp[1][col] = c0 * 4;
      continue;
    }
    int64_t z = c5 * 6967 + c1 * 29692 - c7 * 5906 - c3 * 10426;
    tmp[0][col] = (c0 * 32768 + z + 4096) >> 13;
    tmp[1][col] = (c0 * 32768 - z + 4096) >> 13;
  }
  for (int r = 0; r < 2; ++r) {
    const int64_t* e = tmp[r];
    int16_t* out = b + r * 8;
    if (e[1] == 0 && e[3] == 0 && e[5] == 0 && e[7] == 0) {
      out[0] = out[1] = clamp8((e[0] + 16) >> 5);
      continue;
    }
    int64_t z = e[5] * 6967 + e[1] * 29692 - e[7] * 5906 - e[3] * 10426;
    out[0] = clamp8((e[0] * 32768 + z + 0x80000) >> 20);
    out[1] = clamp8((e[0] * 32768 - z + 0x80000) >> 20);
  }
}

void idct_accurate_1x1(int16_t* b) {
  int32_t c0 = b[0];
  b[0] = c0 < -1028 ? 0 : c0 >= 1020 ? 255 : static_cast<int16_t>(((c0 + 4) >> 3) + 128);
}

// ---- quantisers -------------------------------------------------------------------------------------

void quantize_fast(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i) b[i] = wrap16((int64_t(b[i]) * t[i] + 0x4000) >> 15);
}

void quantize_accurate(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i)
    b[i] = wrap16((int64_t(b[i]) * static_cast<uint16_t>(t[i]) + 0x4000) >> 15);
}

void dequantize_fast(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i) b[i] = wrap16((int32_t(b[i]) * t[i] + 64) >> 7);
}

void dequantize_accurate(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i)
    b[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(b[i]) * static_cast<uint32_t>(t[i])));
}

// ---- table preparations -------------------------------------------------------------------------------

// A zero step (possible in a caller's table) is treated as 1 rather than dividing by zero.
static inline int32_t step_of(int16_t v) {
  int32_t q = static_cast<uint16_t>(v);
  return q == 0 ? 1 : q;
}

void prepare_fast_encoder(const int16_t zz[64], int16_t out[80]) {
  for (int k = 0; k < 64; ++k) {
    int32_t q = step_of(zz[k]);
    if (k == 63 && q < 2) q = 2;
    int32_t r = ((q >> 1) + kFastRecipK[k]) / q;
    out[kZigzag[k]] = static_cast<int16_t>(r);
  }
  std::memset(out + 64, 0, 16 * sizeof(int16_t));
}

void prepare_accurate_encoder(const int16_t zz[64], int16_t out[80]) {
  for (int k = 0; k < 64; ++k) {
    int32_t r = 32768 / step_of(zz[k]);
    out[kZigzag[k]] = static_cast<int16_t>(static_cast<uint16_t>(r));
  }
  std::memset(out + 64, 0, 16 * sizeof(int16_t));
}

bool prepare_fast_idct(const int16_t zz[64], int16_t out[80]) {
  bool fits = true;
  for (int k = 0; k < 64; ++k) {
    double q = static_cast<uint16_t>(zz[k]);
    double m = 0.5 + 32768.0 * (0.0625 * (q * kAanScale[k]));
    int64_t mi = static_cast<int64_t>(m);
    if (mi > 32767) fits = false;
    out[kZigzag[k]] = static_cast<int16_t>(static_cast<uint16_t>(mi));
  }
  std::memset(out + 64, 0, 16 * sizeof(int16_t));
  return fits;
}

void prepare_plain(const int16_t zz[64], int16_t out[80]) {
  for (int k = 0; k < 64; ++k) out[kZigzag[k]] = zz[k];
  std::memset(out + 64, 0, 16 * sizeof(int16_t));
}

}  // namespace jcodec

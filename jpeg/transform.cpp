// Forward and inverse DCTs, quantisers, dequantisers and the quantisation-table preparations.
// Where crafted coefficients could pass 2^31, products are formed in 64 bits, or in 32 bits split
// or checked so that nothing overflows; on valid data the results equal the 32-bit arithmetic of
// the reference flow.
#include <cstring>
#include <initializer_list>

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

inline int16_t clamp8_32(int32_t x) { return static_cast<int16_t>(x < -128 ? 0 : x > 127 ? 255 : x + 128); }

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

// The reduced fast flows in 32 bits. A multiplier above 32767 is split into a power of two, which
// passes the shift whole, and a remainder whose products stay below 2^31 for any 16-bit input:
// the results are those of the flows computed wide.

// mul15(v, 46341) / 2 (toward zero) for |v| < 2^17: 46341 = 32768 + 13573.
inline int32_t half32(int32_t v) { return (v + ((v * 13573 + 0x4000) >> 15)) / 2; }

// One 4-point fast flow: (c0, c1, c2, c3, c5, c6, c7) to four outputs.
[[gnu::always_inline]] inline void idct_fast4_flow32(int32_t c0, int32_t c1, int32_t c2, int32_t c3, int32_t c5,
                                                     int32_t c6, int32_t c7, int32_t* o) {
  const int32_t e = half32(c2 - c6);
  const int32_t p = c5 - c3, d = c1 - c7;
  // (d * 60548 - p * 25080 + 0x8000) >> 16 and (p * 60547 + d * 25080 + 0x8000) >> 16
  const int32_t k1 = d + ((-d * 4988 - p * 25080 + 0x8000) >> 16);
  const int32_t k2 = p + ((-p * 4989 + d * 25080 + 0x8000) >> 16);
  o[0] = c0 + e + k1;
  o[1] = c0 - e + k2;
  o[2] = c0 - e - k2;
  o[3] = c0 + e - k1;
}

// ((a * 85627 + b * 35468 + 0x10000) >> 17) for |a|, |b| < 2^17: 85627 = 2 * 32768 + 20091 and
// 35468 = 32768 + 2700, so the sum is 2^15 (2a + b) plus a remainder that fits.
inline int32_t fast2_odd(int32_t a, int32_t b) { return (2 * a + b + ((a * 20091 + b * 2700 + 0x10000) >> 15)) >> 2; }

}  // namespace

void idct_fast_4x4(int16_t* b) {
  // columns (column 4 feeds nothing; computed so the loop runs whole), stored as 16 bits and
  // transposed so the row pass runs down the columns
  alignas(16) int16_t t[8][4];
  for (int col = 0; col < 8; ++col) {
    int32_t o[4];
    idct_fast4_flow32(b[col], b[8 + col], b[16 + col], b[24 + col], b[40 + col], b[48 + col], b[56 + col], o);
    for (int i = 0; i < 4; ++i) t[col][i] = wrap16(o[i]);
  }
  alignas(16) int16_t out[4][4];
  for (int r = 0; r < 4; ++r) {
    int32_t o[4];
    idct_fast4_flow32(t[0][r], t[1][r], t[2][r], t[3][r], t[5][r], t[6][r], t[7][r], o);
    for (int i = 0; i < 4; ++i) out[i][r] = clamp8_32((o[i] + 8) >> 4);
  }
  // the block keeps the column results right of the output, as the in-place flow leaves them
  for (int r = 0; r < 4; ++r) {
    for (int i = 0; i < 4; ++i) b[r * 8 + i] = out[i][r];
    for (int col = 5; col < 8; ++col) b[r * 8 + col] = t[col][r];
  }
}

void idct_fast_2x2(int16_t* b) {
  int16_t t[2][8];
  for (int col = 0; col < 8; ++col) {  // columns 2, 4 and 6 feed nothing
    const int32_t c0 = b[col], k = fast2_odd(b[8 + col] - b[56 + col], b[40 + col] - b[24 + col]);
    t[0][col] = wrap16(c0 + k);
    t[1][col] = wrap16(c0 - k);
  }
  for (int col : {3, 5, 7}) b[col] = t[0][col], b[8 + col] = t[1][col];  // as the in-place flow leaves them
  for (int r = 0; r < 2; ++r) {
    const int16_t* e = t[r];
    const int32_t k = fast2_odd(e[1] - e[7], e[5] - e[3]);
    b[r * 8] = clamp8_32((e[0] + k + 8) >> 4);
    b[r * 8 + 1] = clamp8_32((e[0] - k + 8) >> 4);
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

namespace {

// The reduced accurate transforms in 32 bits. First pass: c0 * 16384 (4x4) or c0 * 32768 (2x2) is
// a multiple of the shift's divisor and leaves it whole, and the other products of 16-bit inputs
// stay below 2^31. Second pass: exact in 32 bits while every first-pass value is within the bound
// given (valid data stays far inside it); otherwise the block finishes in 64 bits. Either way the
// results are those of the flow computed wide.
constexpr int32_t kRow4Bound = 27000;  // 27560 * 77910 + 2^18 < 2^31
constexpr int32_t kRow2Bound = 25000;  // 25034 * 85759 + 2^19 < 2^31

inline bool within(int32_t v, int32_t bound) { return U(v + bound) <= U(2 * bound); }

template <class T>
[[gnu::always_inline]] inline void idct_acc4_flow(T c0, T c1, T c2, T c3, T c5, T c6, T c7, T* o, T rnd, int sh,
                                                  int c0_shift, bool split_dc) {
  const T z = c2 * 15137 - c6 * 6270;
  const T t2 = c3 * 7373 + c1 * 20995 - c5 * 4926 - c7 * 4176;
  const T t0b = c5 * 11893 + c1 * 8697 - c3 * 17799 - c7 * 1730;
  if (split_dc) {  // (c0 * 16384 + x + rnd) >> 12 = c0 * 4 + ((x + rnd) >> 12)
    const T d = c0 * 4;
    o[0] = d + ((z + t2 + rnd) >> sh);
    o[3] = d + ((z - t2 + rnd) >> sh);
    o[1] = d + ((t0b - z + rnd) >> sh);
    o[2] = d + ((-z - t0b + rnd) >> sh);
  } else {
    const T t0 = c0 * (T(1) << c0_shift);
    o[0] = (t0 + z + t2 + rnd) >> sh;
    o[3] = (t0 + z - t2 + rnd) >> sh;
    o[1] = (t0 - z + t0b + rnd) >> sh;
    o[2] = (t0 - z - t0b + rnd) >> sh;
  }
}

template <bool kQ>
void idct_accurate_4x4_impl(int16_t* b, const int16_t* q) {
  // columns, transposed so the row pass runs down the columns; column 4 feeds nothing and is
  // computed so the loop runs whole
  alignas(16) int32_t t[8][4];
  for (int col = 0; col < 8; ++col) {
    int32_t o[4];
    idct_acc4_flow<int32_t>(coef<kQ>(b, q, col), coef<kQ>(b, q, 8 + col), coef<kQ>(b, q, 16 + col),
                            coef<kQ>(b, q, 24 + col), coef<kQ>(b, q, 40 + col), coef<kQ>(b, q, 48 + col),
                            coef<kQ>(b, q, 56 + col), o, 2048, 12, 0, true);
    for (int i = 0; i < 4; ++i) t[col][i] = o[i];
  }
  uint32_t over = 0;
  for (int col = 0; col < 8; ++col)
    for (int i = 0; i < 4; ++i) over |= !within(t[col][i], kRow4Bound);
  alignas(16) int16_t out[4][4];
  if (!over) {
    for (int r = 0; r < 4; ++r) {
      int32_t o[4];
      idct_acc4_flow<int32_t>(t[0][r], t[1][r], t[2][r], t[3][r], t[5][r], t[6][r], t[7][r], o, 0x40000, 19, 14,
                              false);
      for (int i = 0; i < 4; ++i) out[i][r] = clamp8_32(o[i]);
    }
  } else {
    for (int r = 0; r < 4; ++r) {
      int64_t o[4];
      idct_acc4_flow<int64_t>(t[0][r], t[1][r], t[2][r], t[3][r], t[5][r], t[6][r], t[7][r], o, 0x40000, 19, 14,
                              false);
      for (int i = 0; i < 4; ++i) out[i][r] = clamp8(o[i]);
    }
  }
  for (int r = 0; r < 4; ++r)
    for (int i = 0; i < 4; ++i) b[r * 8 + i] = out[i][r];
}

// Second pass of the 2x2 transform on one row of first-pass values.
template <class T>
inline void idct_acc2_row(const int32_t* e, int16_t* out) {
  const T z = T(e[5]) * 6967 + T(e[1]) * 29692 - T(e[7]) * 5906 - T(e[3]) * 10426;
  out[0] = clamp8((T(e[0]) * 32768 + z + 0x80000) >> 20);
  out[1] = clamp8((T(e[0]) * 32768 - z + 0x80000) >> 20);
}

template <bool kQ>
void idct_accurate_2x2_impl(int16_t* b, const int16_t* q) {
  int32_t t[2][8];
  for (int col = 0; col < 8; ++col) {  // columns 2, 4 and 6 feed nothing
    const int32_t c0 = coef<kQ>(b, q, col);
    const int32_t z = coef<kQ>(b, q, 40 + col) * 6967 + coef<kQ>(b, q, 8 + col) * 29692 -
                      coef<kQ>(b, q, 56 + col) * 5906 - coef<kQ>(b, q, 24 + col) * 10426;
    // (c0 * 32768 +- z + 4096) >> 13
    t[0][col] = c0 * 4 + ((z + 4096) >> 13);
    t[1][col] = c0 * 4 + ((4096 - z) >> 13);
  }
  for (int r = 0; r < 2; ++r) {
    const int32_t* e = t[r];
    const bool fits = within(e[0], kRow2Bound) && within(e[1], kRow2Bound) && within(e[3], kRow2Bound) &&
                      within(e[5], kRow2Bound) && within(e[7], kRow2Bound);
    if (fits) idct_acc2_row<int32_t>(e, b + r * 8);
    else idct_acc2_row<int64_t>(e, b + r * 8);
  }
}

}  // namespace

void idct_accurate_4x4(int16_t* b) { idct_accurate_4x4_impl<false>(b, nullptr); }
void idct_accurate_4x4_dequant(int16_t* b, const int16_t* q) { idct_accurate_4x4_impl<true>(b, q); }
void idct_accurate_2x2(int16_t* b) { idct_accurate_2x2_impl<false>(b, nullptr); }
void idct_accurate_2x2_dequant(int16_t* b, const int16_t* q) { idct_accurate_2x2_impl<true>(b, q); }

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

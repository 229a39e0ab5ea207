// Vector block transforms, quantisers and dequantisers (SSE2, eight lanes per step). Each member
// reproduces the lane arithmetic of its family bit for bit: the _v64 and _v64x members compute
// what their 64-bit-lane forms compute, four lanes at a time there, eight here.
#include <emmintrin.h>

#include <cmath>
#include <cstdint>

#include "jpeg/vector_kernels.h"
#include "jpeg/vector_lanes.h"

namespace jcodec {

namespace {

// The row tables, built from their formula.
struct RowTables {
  int16_t w[4][8];  // [r][k], k = 0 holds the cos(4 pi / 16) term
  // Paired multiply-add operands, lanes = rows of the block: for output j and input pair p
  // (inputs 2p, 2p + 1), half h (rows 4h..4h + 3): (K_r[j][2p], K_r[j][2p + 1]) per row.
  alignas(16) int16_t fwd[8][4][2][8];
  // Inverse: outputs n and 7 - n share the products (M_r[u][7 - n] = (-1)^u M_r[u][n]); for
  // n = 0..3 the even pairs (0, 2), (4, 6) and the odd pairs (1, 3), (5, 7).
  alignas(16) int16_t inv_even[4][2][2][8];
  alignas(16) int16_t inv_odd[4][2][2][8];
  RowTables() {
    const double pi = 3.14159265358979323846;
    for (int r = 0; r < 4; ++r) {
      const double s = r == 0 ? 1.0 : std::sqrt(2.0) * std::cos(r * pi / 16);
      for (int k = 0; k < 8; ++k) {
        const int kk = k == 0 ? 4 : k;
        w[r][k] = static_cast<int16_t>(std::lround(16384.0 * std::sqrt(2.0) * std::cos(kk * pi / 16) * s));
      }
    }
    // M_r[u][n]: cos((2n + 1) u pi / 16) reduced to +-cos(k pi / 16), k in 1..7.
    auto m = [this](int r, int u, int n) -> int32_t {
      const int rr = r <= 4 ? (r == 4 ? 0 : r) : 8 - r;
      if (u == 0) return w[rr][0];
      int a = ((2 * n + 1) * u) % 32;
      if (a > 16) a = 32 - a;
      int sign = 1;
      if (a > 8) a = 16 - a, sign = -1;
      return sign * w[rr][a];
    };
    for (int j = 0; j < 8; ++j)
      for (int p = 0; p < 4; ++p)
        for (int h = 0; h < 2; ++h)
          for (int l = 0; l < 4; ++l) {
            const int r = 4 * h + l;
            fwd[j][p][h][2 * l] = static_cast<int16_t>(m(r, j, 2 * p));
            fwd[j][p][h][2 * l + 1] = static_cast<int16_t>(m(r, j, 2 * p + 1));
          }
    for (int n = 0; n < 4; ++n)
      for (int q = 0; q < 2; ++q)
        for (int h = 0; h < 2; ++h)
          for (int l = 0; l < 4; ++l) {
            const int r = 4 * h + l;
            inv_even[n][q][h][2 * l] = static_cast<int16_t>(m(r, 4 * q, n));
            inv_even[n][q][h][2 * l + 1] = static_cast<int16_t>(m(r, 4 * q + 2, n));
            inv_odd[n][q][h][2 * l] = static_cast<int16_t>(m(r, 4 * q + 1, n));
            inv_odd[n][q][h][2 * l + 1] = static_cast<int16_t>(m(r, 4 * q + 3, n));
          }
  }
};

const RowTables& row_tables() {
  static const RowTables t;
  return t;
}

// Row pass by paired multiply-adds, lanes = rows: out[j] = sat16((sum_i in[i] K_r[j][i] + rnd)
// >> sh) with 32-bit sums that wrap.
template <int kShift, bool kAligned>
inline void row_pass(const V in[8], V out[8], const int16_t (*k)[4][2][8]) {
  V lo[4], hi[4];
  for (int p = 0; p < 4; ++p) {
    lo[p] = _mm_unpacklo_epi16(in[2 * p], in[2 * p + 1]);
    hi[p] = _mm_unpackhi_epi16(in[2 * p], in[2 * p + 1]);
  }
  const V rnd = _mm_set1_epi32(1 << (kShift - 1));
  for (int j = 0; j < 8; ++j) {
    V sl = rnd, sh = rnd;
    for (int p = 0; p < 4; ++p) {
      sl = _mm_add_epi32(sl, _mm_madd_epi16(lo[p], load<kAligned>(k[j][p][0])));
      sh = _mm_add_epi32(sh, _mm_madd_epi16(hi[p], load<kAligned>(k[j][p][1])));
    }
    out[j] = _mm_packs_epi32(_mm_srai_epi32(sl, kShift), _mm_srai_epi32(sh, kShift));
  }
}

// The inverse row pass: the same sums, outputs n and 7 - n from one even and one odd part.
template <bool kAligned>
inline void row_pass_inverse(const V in[8], V out[8]) {
  const RowTables& rt = row_tables();
  V e[2][2], o[2][2];  // [pair][half]
  for (int q = 0; q < 2; ++q) {
    e[q][0] = _mm_unpacklo_epi16(in[4 * q], in[4 * q + 2]);
    e[q][1] = _mm_unpackhi_epi16(in[4 * q], in[4 * q + 2]);
    o[q][0] = _mm_unpacklo_epi16(in[4 * q + 1], in[4 * q + 3]);
    o[q][1] = _mm_unpackhi_epi16(in[4 * q + 1], in[4 * q + 3]);
  }
  const V rnd = _mm_set1_epi32(2048);
  for (int n = 0; n < 4; ++n) {
    V plus[2], minus[2];
    for (int h = 0; h < 2; ++h) {
      const V ev = _mm_add_epi32(_mm_add_epi32(rnd, _mm_madd_epi16(e[0][h], load<kAligned>(rt.inv_even[n][0][h]))),
                                 _mm_madd_epi16(e[1][h], load<kAligned>(rt.inv_even[n][1][h])));
      const V od = _mm_add_epi32(_mm_madd_epi16(o[0][h], load<kAligned>(rt.inv_odd[n][0][h])),
                                 _mm_madd_epi16(o[1][h], load<kAligned>(rt.inv_odd[n][1][h])));
      plus[h] = _mm_srai_epi32(_mm_add_epi32(ev, od), 12);
      minus[h] = _mm_srai_epi32(_mm_sub_epi32(ev, od), 12);
    }
    out[n] = _mm_packs_epi32(plus[0], plus[1]);
    out[7 - n] = _mm_packs_epi32(minus[0], minus[1]);
  }
}

// ---- accurate forward DCT -------------------------------------------------------------------------

inline void fdct_accurate_columns(V x[8]) {
  const V c13036 = ld(kAccurate[0]), c27146 = ld(kAccurate[1]), c21746 = ld(kAccurate[2]),
          c23170 = ld(kAccurate[4]), one = ld(kAccurate[5]);
  const V s07 = adds(x[0], x[7]), s16 = adds(x[1], x[6]), s25 = adds(x[2], x[5]), s34 = adds(x[3], x[4]);
  const V d07 = subs(x[0], x[7]), d16 = subs(x[1], x[6]), d25 = subs(x[2], x[5]), d34 = subs(x[3], x[4]);
  const V tp03 = adds(shl(s07, 3), shl(s34, 3)), tm03 = subs(shl(s07, 3), shl(s34, 3));
  const V tp12 = adds(shl(s16, 3), shl(s25, 3)), tm12 = subs(shl(s16, 3), shl(s25, 3));
  x[0] = adds(tp03, tp12);
  x[4] = subs(tp03, tp12);
  x[2] = _mm_or_si128(adds(tm03, mulhi(tm12, c27146)), one);
  x[6] = _mm_or_si128(subs(mulhi(tm03, c27146), tm12), one);
  const V c1 = _mm_or_si128(mulhi(shl(adds(d16, d25), 4), c23170), one);
  const V c2 = mulhi(shl(subs(d16, d25), 4), c23170);
  const V u = adds(shl(d07, 3), c1), v = subs(shl(d07, 3), c1);
  const V p = adds(shl(d34, 3), c2), q = subs(shl(d34, 3), c2);
  x[1] = _mm_or_si128(adds(u, mulhi(p, c13036)), one);
  x[7] = subs(mulhi(u, c13036), p);
  x[3] = subs(v, adds(q, mulhi(q, c21746)));
  x[5] = adds(adds(v, mulhi(v, c21746)), q);
}

template <bool kAligned, bool kTableAligned>
inline void fdct_accurate_body(int16_t* b) {
  V x[8], y[8];
  load_block<kAligned>(b, x);
  fdct_accurate_columns(x);
  transpose(x);  // lanes = rows
  row_pass<20, kTableAligned>(x, y, row_tables().fwd);
  transpose(y);
  store_block<kAligned>(b, y);
}

// ---- accurate inverse DCT -------------------------------------------------------------------------

template <bool kAligned, bool kTableAligned>
inline void idct_accurate_body(int16_t* b) {
  V x[8], y[8];
  load_block<kAligned>(b, x);
  transpose(x);  // lanes = rows, x[u] = coefficient u of each row
  row_pass_inverse<kTableAligned>(x, y);
  transpose(y);  // y[i] = row i, lanes = columns
  idct_accurate_columns(y);
  store_block<kAligned>(b, y);
}

// The dequantiser's products (16-bit, wrapping) loaded straight into the inverse DCT: the
// results of dequantize_accurate_v128 followed by idct_accurate_8x8_v128, one pass over the block.
template <bool kAligned>
inline void idct_accurate_dequant_body(int16_t* b, const int16_t* t) {
  V x[8], y[8];
  for (int i = 0; i < 8; ++i) x[i] = _mm_mullo_epi16(load<kAligned>(b + 8 * i), load<kAligned>(t + 8 * i));
  transpose(x);
  row_pass_inverse<true>(x, y);
  transpose(y);
  idct_accurate_columns(y);
  store_block<kAligned>(b, y);
}

// ---- fast transforms --------------------------------------------------------------------------------

inline void fdct_fast_flow(V x[8]) {
  const V m0 = ld(kFdctFast[0]), m1 = ld(kFdctFast[1]), m2 = ld(kFdctFast[2]), m3 = ld(kFdctFast[3]);
  const V s07 = add(x[0], x[7]), s16 = add(x[1], x[6]), s25 = add(x[2], x[5]), s34 = add(x[3], x[4]);
  const V d07 = sub(x[0], x[7]), d16 = sub(x[1], x[6]), d25 = sub(x[2], x[5]), d34 = sub(x[3], x[4]);
  const V t10 = add(s07, s34), t13 = sub(s07, s34), t11 = add(s16, s25), t12 = sub(s16, s25);
  x[0] = add(t10, t11);
  x[4] = sub(t10, t11);
  const V z1 = mulhi(shl(add(t12, t13), 1), m0);
  x[2] = add(t13, z1);
  x[6] = sub(t13, z1);
  const V e10 = add(d34, d25), e11 = add(d25, d16), e12 = add(d16, d07);
  const V z5 = mulhi(sub(e10, e12), m1);
  const V z2 = add(mulhi(shl(e10, 1), m2), z5);
  const V z4 = add(mulhi(shl(e12, 2), m3), z5);
  const V z3 = mulhi(shl(e11, 1), m0);
  const V z11 = add(d07, z3), z13 = sub(d07, z3);
  x[5] = add(z13, z2);
  x[3] = sub(z13, z2);
  x[1] = add(z11, z4);
  x[7] = sub(z11, z4);
}

inline void idct_fast_flow(V c[8]) {
  const V k23040 = ld(kIdctFast[0]), k30272 = ld(kIdctFast[1]), k17728 = ld(kIdctFast[2]),
          k21408 = ld(kIdctFast[3]);
  const V t13 = add(c[2], c[6]);
  const V t12 = sub(mulhi(shl(sub(c[2], c[6]), 2), k23040), t13);
  const V t10 = add(c[0], c[4]), t11 = sub(c[0], c[4]);
  const V e0 = add(t10, t13), e3 = sub(t10, t13), e1 = add(t11, t12), e2 = sub(t11, t12);
  const V z13 = add(c[5], c[3]), z10 = sub(c[5], c[3]), z11 = add(c[1], c[7]), z12 = sub(c[1], c[7]);
  const V o7 = add(z11, z13);
  const V q11 = mulhi(shl(sub(z11, z13), 2), k23040);
  const V z5 = mulhi(shl(add(z10, z12), 2), k30272);
  const V q10 = sub(mulhi(shl(z12, 2), k17728), z5);
  const V q12 = add(mulhi(shl(z10, 3), k21408), z5);
  const V o6 = sub(q12, o7), o5 = sub(q11, o6), o4 = add(q10, o5);
  c[0] = add(e0, o7);
  c[7] = sub(e0, o7);
  c[1] = add(e1, o6);
  c[6] = sub(e1, o6);
  c[2] = add(e2, o5);
  c[5] = sub(e2, o5);
  c[4] = add(e3, o4);
  c[3] = sub(e3, o4);
}

// ---- quantisers ------------------------------------------------------------------------------------

template <bool kAligned>
inline void quantize_accurate_body(int16_t* b, const int16_t* t) {
  const V one = ld(kAccurate[5]);
  for (int i = 0; i < 64; i += 8) {
    const V r = _mm_srli_epi16(load<kAligned>(t + i), 1);
    const V x = shl(load<kAligned>(b + i), 3);
    store<kAligned>(b + i, _mm_srai_epi16(add(mulhi(x, r), one), 1));
  }
}

template <bool kAligned>
inline void dequantize_body(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; i += 8)
    store<kAligned>(b + i, _mm_mullo_epi16(load<kAligned>(b + i), load<kAligned>(t + i)));
}

inline bool aligned16(const void* p) { return (reinterpret_cast<uintptr_t>(p) & 15) == 0; }

}  // namespace

const int16_t (&vector_row_table(int32_t r))[8] { return row_tables().w[r & 3]; }
const int16_t* vector_inverse_even_pairs() { return &row_tables().inv_even[0][0][0][0]; }
const int16_t* vector_inverse_odd_pairs() { return &row_tables().inv_odd[0][0][0][0]; }

void fdct_fast_v64(int16_t* b) {
  V x[8];
  load_block<false>(b, x);
  transpose(x);  // x[i] = sample i of each row
  fdct_fast_flow(x);
  transpose(x);  // x[i] = row i of the row results
  fdct_fast_flow(x);
  store_block<false>(b, x);
}

void fdct_accurate_v64(int16_t* b) { fdct_accurate_body<false, true>(b); }
void fdct_accurate_v64x(int16_t* b) { fdct_accurate_body<false, true>(b); }
void fdct_accurate_v128(int16_t* b) {
  if (aligned16(b))
    fdct_accurate_body<true, true>(b);
  else
    fdct_accurate_body<false, true>(b);
}

void idct_fast_8x8_v64(int16_t* b) {
  V c[8];
  load_block<false>(b, c);
  idct_fast_flow(c);  // columns: c[i] = row i
  transpose(c);
  idct_fast_flow(c);  // rows: c[k] = output k of each row
  const V level = ld(kIdctFast[4]);
  for (int i = 0; i < 8; ++i) c[i] = adds(_mm_srai_epi16(c[i], 4), level);
  transpose(c);
  for (int i = 0; i < 8; ++i) {
    const V p = _mm_packus_epi16(c[i], c[i]);
    store<false>(b + 8 * i, _mm_unpacklo_epi8(p, _mm_setzero_si128()));
  }
}

void idct_accurate_8x8_v64(int16_t* b) { idct_accurate_body<false, true>(b); }
void idct_accurate_8x8_v64x(int16_t* b) { idct_accurate_body<false, true>(b); }
void idct_accurate_8x8_v128(int16_t* b) {
  if (aligned16(b))
    idct_accurate_body<true, true>(b);
  else
    idct_accurate_body<false, true>(b);
}

void idct_accurate_8x8_dequant_v128(int16_t* b, const int16_t* t) {
  if (aligned16(b) && aligned16(t))
    idct_accurate_dequant_body<true>(b, t);
  else
    idct_accurate_dequant_body<false>(b, t);
}

void quantize_fast_v64(int16_t* b, const int16_t* t) {
  const V lo = ld(kClamp[0]), hi = ld(kClamp[1]), one = ld(kAccurate[5]);
  for (int i = 0; i < 64; i += 8) {
    const V x = _mm_min_epi16(_mm_max_epi16(load<false>(b + i), lo), hi);
    store<false>(b + i, _mm_srai_epi16(add(mulhi(shl(x, 2), load<false>(t + i)), one), 1));
  }
}

void quantize_accurate_v64(int16_t* b, const int16_t* t) { quantize_accurate_body<false>(b, t); }
void quantize_accurate_v64s(int16_t* b, const int16_t* t) { quantize_accurate_body<false>(b, t); }
void quantize_accurate_v128(int16_t* b, const int16_t* t) {
  if (aligned16(b) && aligned16(t))
    quantize_accurate_body<true>(b, t);
  else
    quantize_accurate_body<false>(b, t);
}

void dequantize_accurate_v64(int16_t* b, const int16_t* t) { dequantize_body<false>(b, t); }
void dequantize_accurate_v128(int16_t* b, const int16_t* t) {
  if (aligned16(b) && aligned16(t))
    dequantize_body<true>(b, t);
  else
    dequantize_body<false>(b, t);
}

}  // namespace jcodec

// The vector transforms, quantisers and dequantisers against scalar models of their lane
// arithmetic (written here from the flows, apart from the kernels), bit for bit, and against
// double-precision transforms within pinned bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "jpeg/internal.h"
#include "jpeg/jcodec_cpu.h"
#include "jpeg/vector_kernels.h"

namespace {

using namespace jcodec;

// ---- lane arithmetic ----------------------------------------------------------------------------

int16_t w16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
int16_t sat(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767)); }
int16_t mulhi(int16_t a, int16_t c) { return static_cast<int16_t>((int32_t(a) * c) >> 16); }
int16_t shl(int16_t v, int n) { return w16(int64_t(v) * (1 << n)); }
int16_t add(int16_t a, int16_t b) { return w16(int32_t(a) + b); }
int16_t sub(int16_t a, int16_t b) { return w16(int32_t(a) - b); }
int16_t adds(int16_t a, int16_t b) { return sat(int32_t(a) + b); }
int16_t subs(int16_t a, int16_t b) { return sat(int32_t(a) - b); }
int16_t or1(int16_t a) { return static_cast<int16_t>(a | 1); }
int16_t pack_level(int16_t v) { return static_cast<int16_t>(std::clamp<int32_t>(adds(v, 128), 0, 255)); }

const double kPi = 3.14159265358979323846;

// Row tables from the formula: w[r][k] = round(16384 sqrt2 cos(k pi/16) s_r), k = 4 at index 0.
struct Model {
  int32_t w[4][8];
  int32_t table[8][8][8];  // [r][u][n]
  Model() {
    for (int r = 0; r < 4; ++r) {
      double s = r == 0 ? 1.0 : std::sqrt(2.0) * std::cos(r * kPi / 16);
      for (int k = 0; k < 8; ++k)
        w[r][k] = int32_t(std::lround(16384.0 * std::sqrt(2.0) * std::cos((k == 0 ? 4 : k) * kPi / 16) * s));
    }
    for (int r = 0; r < 8; ++r)
      for (int u = 0; u < 8; ++u)
        for (int n = 0; n < 8; ++n) table[r][u][n] = entry(r, u, n);
  }
  int32_t m(int r, int u, int n) const { return table[r][u][n]; }
  // Entry for block row r, frequency u, sample n.
  int32_t entry(int r, int u, int n) const {
    const int rr = r == 4 ? 0 : r > 4 ? 8 - r : r;
    if (u == 0) return w[rr][0];
    const double c = std::cos((2 * n + 1) * u * kPi / 16);
    int best = 1;
    for (int k = 1; k < 8; ++k)
      if (std::fabs(std::fabs(c) - std::cos(k * kPi / 16)) < std::fabs(std::fabs(c) - std::cos(best * kPi / 16)))
        best = k;
    return c < 0 ? -w[rr][best] : w[rr][best];
  }
};
const Model kModel;

void fdct_fast_model(int16_t* b) {
  auto flow = [](int16_t* x) {
    const int16_t s07 = add(x[0], x[7]), s16 = add(x[1], x[6]), s25 = add(x[2], x[5]), s34 = add(x[3], x[4]);
    const int16_t d07 = sub(x[0], x[7]), d16 = sub(x[1], x[6]), d25 = sub(x[2], x[5]), d34 = sub(x[3], x[4]);
    const int16_t t10 = add(s07, s34), t13 = sub(s07, s34), t11 = add(s16, s25), t12 = sub(s16, s25);
    const int16_t z1 = mulhi(shl(add(t12, t13), 1), 23168);
    const int16_t e10 = add(d34, d25), e11 = add(d25, d16), e12 = add(d16, d07);
    const int16_t z5 = mulhi(sub(e10, e12), 25088);
    const int16_t z2 = add(mulhi(shl(e10, 1), 17792), z5);
    const int16_t z4 = add(mulhi(shl(e12, 2), 21376), z5);
    const int16_t z3 = mulhi(shl(e11, 1), 23168);
    const int16_t z11 = add(d07, z3), z13 = sub(d07, z3);
    x[0] = add(t10, t11), x[4] = sub(t10, t11), x[2] = add(t13, z1), x[6] = sub(t13, z1);
    x[5] = add(z13, z2), x[3] = sub(z13, z2), x[1] = add(z11, z4), x[7] = sub(z11, z4);
  };
  int16_t v[8];
  for (int r = 0; r < 8; ++r) flow(b + 8 * r);
  for (int c = 0; c < 8; ++c) {
    for (int i = 0; i < 8; ++i) v[i] = b[8 * i + c];
    flow(v);
    for (int i = 0; i < 8; ++i) b[8 * i + c] = v[i];
  }
}

void fdct_accurate_model(int16_t* b) {
  for (int c = 0; c < 8; ++c) {
    int16_t x[8];
    for (int i = 0; i < 8; ++i) x[i] = b[8 * i + c];
    const int16_t s07 = adds(x[0], x[7]), s16 = adds(x[1], x[6]), s25 = adds(x[2], x[5]), s34 = adds(x[3], x[4]);
    const int16_t d07 = subs(x[0], x[7]), d16 = subs(x[1], x[6]), d25 = subs(x[2], x[5]), d34 = subs(x[3], x[4]);
    const int16_t tp03 = adds(shl(s07, 3), shl(s34, 3)), tm03 = subs(shl(s07, 3), shl(s34, 3));
    const int16_t tp12 = adds(shl(s16, 3), shl(s25, 3)), tm12 = subs(shl(s16, 3), shl(s25, 3));
    const int16_t c1 = or1(mulhi(shl(adds(d16, d25), 4), 23170)), c2 = mulhi(shl(subs(d16, d25), 4), 23170);
    const int16_t u = adds(shl(d07, 3), c1), v = subs(shl(d07, 3), c1);
    const int16_t p = adds(shl(d34, 3), c2), q = subs(shl(d34, 3), c2);
    int16_t o[8];
    o[0] = adds(tp03, tp12);
    o[4] = subs(tp03, tp12);
    o[2] = or1(adds(tm03, mulhi(tm12, 27146)));
    o[6] = or1(subs(mulhi(tm03, 27146), tm12));
    o[1] = or1(adds(u, mulhi(p, 13036)));
    o[7] = subs(mulhi(u, 13036), p);
    o[3] = subs(v, adds(q, mulhi(q, -21746)));
    o[5] = adds(adds(v, mulhi(v, -21746)), q);
    for (int i = 0; i < 8; ++i) b[8 * i + c] = o[i];
  }
  for (int r = 0; r < 8; ++r) {
    int16_t o[8];
    for (int u = 0; u < 8; ++u) {
      uint32_t s = 0;  // the paired multiply-adds wrap at 32 bits
      for (int n = 0; n < 8; ++n) s += uint32_t(int32_t(b[8 * r + n]) * kModel.m(r, u, n));
      o[u] = sat(int32_t(s + (1u << 19)) >> 20);
    }
    std::memcpy(b + 8 * r, o, sizeof o);
  }
}

void idct_accurate_model(int16_t* b) {
  int16_t t[64];
  for (int r = 0; r < 8; ++r)
    for (int n = 0; n < 8; ++n) {
      uint32_t s = 0;
      for (int u = 0; u < 8; ++u) s += uint32_t(int32_t(b[8 * r + u]) * kModel.m(r, u, n));
      t[8 * r + n] = sat(int32_t(s + 2048u) >> 12);
    }
  for (int c = 0; c < 8; ++c) {
    int16_t x[8];
    for (int i = 0; i < 8; ++i) x[i] = t[8 * i + c];
    const int16_t tp17 = adds(x[1], mulhi(x[7], 13036)), tm17 = subs(mulhi(x[1], 13036), x[7]);
    const int16_t tp35 = adds(x[3], adds(x[5], mulhi(x[5], -21746)));
    const int16_t m35 = subs(x[5], adds(x[3], mulhi(x[3], -21746)));
    const int16_t b0 = adds(adds(tp17, tp35), 1), t1 = subs(tp17, tp35);
    const int16_t t2 = adds(subs(tm17, m35), 1), b3 = adds(tm17, m35);
    const int16_t b1 = or1(adds(adds(t1, t2), mulhi(adds(t1, t2), -19195)));
    const int16_t b2 = or1(adds(subs(t1, t2), mulhi(subs(t1, t2), -19195)));
    const int16_t tp26 = adds(x[2], mulhi(x[6], 27146)), tm26 = subs(mulhi(x[2], 27146), x[6]);
    const int16_t a0 = adds(adds(x[0], x[4]), tp26), a3 = subs(adds(x[0], x[4]), tp26);
    const int16_t a1 = adds(subs(x[0], x[4]), tm26), a2 = subs(subs(x[0], x[4]), tm26);
    const int16_t o[8] = {adds(adds(a0, 16), b0), adds(adds(a1, 16), b1), adds(adds(a2, 15), b2),
                          adds(adds(a3, 15), b3), subs(adds(a3, 15), b3), subs(adds(a2, 15), b2),
                          subs(adds(a1, 16), b1), subs(adds(a0, 16), b0)};
    for (int i = 0; i < 8; ++i) b[8 * i + c] = pack_level(static_cast<int16_t>(o[i] >> 5));
  }
}

void idct_fast_model(int16_t* b) {
  auto m14 = [](int16_t v, int16_t c) { return mulhi(shl(v, 2), c); };
  auto flow = [&](int16_t* c) {
    const int16_t t13 = add(c[2], c[6]), t12 = sub(m14(sub(c[2], c[6]), 23040), t13);
    const int16_t t10 = add(c[0], c[4]), t11 = sub(c[0], c[4]);
    const int16_t e0 = add(t10, t13), e3 = sub(t10, t13), e1 = add(t11, t12), e2 = sub(t11, t12);
    const int16_t z13 = add(c[5], c[3]), z10 = sub(c[5], c[3]), z11 = add(c[1], c[7]), z12 = sub(c[1], c[7]);
    const int16_t o7 = add(z11, z13), q11 = m14(sub(z11, z13), 23040), z5 = m14(add(z10, z12), 30272);
    const int16_t q10 = sub(m14(z12, 17728), z5), q12 = add(mulhi(shl(z10, 3), -21408), z5);
    const int16_t o6 = sub(q12, o7), o5 = sub(q11, o6), o4 = add(q10, o5);
    c[0] = add(e0, o7), c[7] = sub(e0, o7), c[1] = add(e1, o6), c[6] = sub(e1, o6);
    c[2] = add(e2, o5), c[5] = sub(e2, o5), c[4] = add(e3, o4), c[3] = sub(e3, o4);
  };
  int16_t v[8];
  for (int c = 0; c < 8; ++c) {
    for (int i = 0; i < 8; ++i) v[i] = b[8 * i + c];
    flow(v);
    for (int i = 0; i < 8; ++i) b[8 * i + c] = v[i];
  }
  for (int r = 0; r < 8; ++r) {
    flow(b + 8 * r);
    for (int i = 0; i < 8; ++i) b[8 * r + i] = pack_level(static_cast<int16_t>(b[8 * r + i] >> 4));
  }
}

void quantize_fast_model(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i) {
    const int16_t x = static_cast<int16_t>(std::clamp<int32_t>(b[i], -8192, 8191));
    b[i] = static_cast<int16_t>((mulhi(shl(x, 2), t[i]) + 1) >> 1);
  }
}
void quantize_accurate_model(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i) {
    const int16_t r = static_cast<int16_t>(static_cast<uint16_t>(t[i]) >> 1);
    b[i] = static_cast<int16_t>((mulhi(shl(b[i], 3), r) + 1) >> 1);
  }
}
void dequantize_model(int16_t* b, const int16_t* t) {
  for (int i = 0; i < 64; ++i) b[i] = w16(int32_t(b[i]) * t[i]);
}

// ---- cases ---------------------------------------------------------------------------------------

using BlockFn = void (*)(int16_t*);
using QuantFn = void (*)(int16_t*, const int16_t*);

struct Buffers {
  // one aligned block and one at an odd 2-byte offset, with their tables
  alignas(16) int16_t a[64 + 16];
  alignas(16) int16_t ta[64 + 16];
  int16_t* at(bool aligned) { return aligned ? a : a + 1; }
  int16_t* table(bool aligned) { return aligned ? ta : ta + 1; }
};

enum class Range { Samples, Coefficients, Small, Any };

void fill(std::mt19937& rng, int16_t* b, Range r) {
  for (int i = 0; i < 64; ++i) {
    switch (r) {
      case Range::Samples: b[i] = int16_t(int(rng() % 256) - 128); break;
      case Range::Coefficients: b[i] = int16_t(int(rng() % 4096) - 2048); break;
      case Range::Small: b[i] = int16_t(int(rng() % 8192) - 4096); break;
      case Range::Any: b[i] = int16_t(rng()); break;
    }
  }
}

std::vector<std::vector<int16_t>> extremes() {
  std::vector<std::vector<int16_t>> out;
  for (int16_t v : {-128, 127, 2048, -2048, 32767, -32767, -32768})
    out.emplace_back(64, v);
  std::vector<int16_t> alt(64);
  for (int i = 0; i < 64; ++i) alt[i] = (i + i / 8) & 1 ? 32767 : -32768;
  out.push_back(alt);
  std::vector<int16_t> dc(64, 0);
  dc[0] = 32767;
  out.push_back(dc);
  return out;
}

struct BlockCase {
  const char* name;
  BlockFn kernel;
  BlockFn model;
  Range range;
};

TEST(JpegVectorTransforms, BlockKernelsMatchTheirLaneModels) {
  const BlockCase cases[] = {
      {"fdct_fast_v64", fdct_fast_v64, fdct_fast_model, Range::Samples},
      {"fdct_accurate_v64", fdct_accurate_v64, fdct_accurate_model, Range::Samples},
      {"fdct_accurate_v64x", fdct_accurate_v64x, fdct_accurate_model, Range::Samples},
      {"fdct_accurate_v128", fdct_accurate_v128, fdct_accurate_model, Range::Samples},
      {"idct_fast_8x8_v64", idct_fast_8x8_v64, idct_fast_model, Range::Coefficients},
      {"idct_accurate_8x8_v64", idct_accurate_8x8_v64, idct_accurate_model, Range::Coefficients},
      {"idct_accurate_8x8_v64x", idct_accurate_8x8_v64x, idct_accurate_model, Range::Coefficients},
      {"idct_accurate_8x8_v128", idct_accurate_8x8_v128, idct_accurate_model, Range::Coefficients},
      {"idct_accurate_8x8_v128 (AVX2)", idct_accurate_8x8_v128_avx2, idct_accurate_model, Range::Coefficients},
  };
  if (!jpeg_avx2_available()) std::printf("no AVX2 on this processor: the AVX2 rows are skipped\n");
  std::mt19937 rng(31);
  Buffers buf;
  for (const BlockCase& c : cases) {
    if (c.kernel == idct_accurate_8x8_v128_avx2 && !jpeg_avx2_available()) continue;
    SCOPED_TRACE(c.name);
    int bad = 0;
    for (int n = 0; n < 100000 + 64 && bad < 3; ++n) {
      const bool aligned = n & 1;
      int16_t* b = buf.at(aligned);
      int16_t want[64];
      if (n < 100000) {
        // every fourth block over the whole 16-bit range: the arithmetic is defined everywhere
        fill(rng, b, n % 4 == 3 ? Range::Any : c.range);
      } else {
        const auto ex = extremes();
        std::memcpy(b, ex[(n - 100000) % ex.size()].data(), 128);
      }
      std::memcpy(want, b, sizeof want);
      c.model(want);
      c.kernel(b);
      if (std::memcmp(want, b, sizeof want) != 0) {
        ++bad;
        ADD_FAILURE() << "block " << n << (aligned ? " aligned" : " unaligned");
      }
    }
  }
}

// The decoder's one-pass form: the dequantiser's products, then the accurate inverse DCT.
void dequant_idct_model(int16_t* b, const int16_t* t) {
  dequantize_model(b, t);
  idct_accurate_model(b);
}

TEST(JpegVectorTransforms, QuantisersMatchTheirLaneModels) {
  struct Case {
    const char* name;
    QuantFn kernel, model;
    Range range;
    bool unsigned_table;
  };
  const Case cases[] = {
      {"quantize_fast_v64", quantize_fast_v64, quantize_fast_model, Range::Any, false},
      {"quantize_accurate_v64", quantize_accurate_v64, quantize_accurate_model, Range::Small, true},
      {"quantize_accurate_v64s", quantize_accurate_v64s, quantize_accurate_model, Range::Small, true},
      {"quantize_accurate_v128", quantize_accurate_v128, quantize_accurate_model, Range::Small, true},
      {"dequantize_accurate_v64", dequantize_accurate_v64, dequantize_model, Range::Any, false},
      {"dequantize_accurate_v128", dequantize_accurate_v128, dequantize_model, Range::Any, false},
      {"idct_accurate_8x8_dequant_v128", idct_accurate_8x8_dequant_v128, dequant_idct_model, Range::Any, false},
      {"idct_accurate_8x8_dequant_v128 (AVX2)", idct_accurate_8x8_dequant_v128_avx2, dequant_idct_model, Range::Any,
       false},
  };
  std::mt19937 rng(32);
  Buffers buf;
  for (const Case& c : cases) {
    if (c.kernel == idct_accurate_8x8_dequant_v128_avx2 && !jpeg_avx2_available()) continue;
    SCOPED_TRACE(c.name);
    int bad = 0;
    for (int n = 0; n < 100000 && bad < 3; ++n) {
      const bool ab = n & 1, at = n & 2;
      int16_t* b = buf.at(ab);
      int16_t* t = buf.table(at);
      fill(rng, b, c.range);
      for (int i = 0; i < 64; ++i) {
        // reciprocals of steps 1..255 as the preparations make them
        const int32_t q = 1 + int32_t(rng() % 255);
        t[i] = c.unsigned_table ? int16_t(uint16_t(32768 / q)) : int16_t(rng() % 32768);
      }
      int16_t want[64];
      std::memcpy(want, b, sizeof want);
      c.model(want, t);
      c.kernel(b, t);
      if (std::memcmp(want, b, sizeof want) != 0) {
        ++bad;
        ADD_FAILURE() << "block " << n;
      }
    }
  }
}

TEST(JpegVectorTransforms, StatedCases) {
  alignas(16) int16_t b[64], t[80], g[64];
  // all -128 through the fast pair gives the generic DC
  const int16_t steps[64] = {16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57,
                             69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64,
                             81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  prepare_fast_encoder(steps, t);
  std::fill(b, b + 64, int16_t(-128));
  std::fill(g, g + 64, int16_t(-128));
  fdct_fast_v64(b);
  quantize_fast_v64(b, t);
  fdct_fast(g);
  quantize_fast(g, t);
  EXPECT_EQ(b[0], g[0]);

  // 9000 quantises as 8191
  std::fill(t, t + 64, int16_t(16384));
  std::fill(b, b + 64, int16_t(0));
  b[5] = 9000;
  quantize_fast_v64(b, t);
  EXPECT_EQ(b[5], (8191 * 16384 + 0x4000) >> 15);
  // inside the clamp the fast quantiser is the generic one
  std::mt19937 rng(5);
  for (int n = 0; n < 1000; ++n) {
    for (int i = 0; i < 64; ++i) b[i] = g[i] = int16_t(int(rng() % 16384) - 8192), t[i] = int16_t(rng() % 32768);
    quantize_fast_v64(b, t);
    quantize_fast(g, t);
    ASSERT_EQ(0, std::memcmp(b, g, 128));
  }

  // a step of 5 gives the reciprocal 6553, which acts as 6552
  std::fill(t, t + 64, int16_t(6553));
  for (int16_t x : {1000, -1000, 4095, -4096, 123}) {
    std::fill(b, b + 64, x);
    quantize_accurate_v64(b, t);
    EXPECT_EQ(b[0], (int32_t(x) * 6552 + 0x4000) >> 15) << x;
  }

  // the accurate dequantiser is the generic one on any input
  for (int n = 0; n < 1000; ++n) {
    for (int i = 0; i < 64; ++i) b[i] = g[i] = int16_t(rng()), t[i] = int16_t(rng());
    dequantize_accurate_v64(b, t);
    dequantize_accurate(g, t);
    ASSERT_EQ(0, std::memcmp(b, g, 128));
  }

  // DC = 8 alone: 128 everywhere, where the generic fast transform gives 129
  std::fill(b, b + 64, int16_t(0));
  std::fill(g, g + 64, int16_t(0));
  b[0] = g[0] = 8;
  idct_fast_8x8_v64(b);
  idct_fast_8x8(g);
  EXPECT_EQ(b[0], 128);
  EXPECT_EQ(b[63], 128);
  EXPECT_EQ(g[0], 129);

  // inverse outputs stay samples for extreme coefficients
  for (BlockFn f : {idct_fast_8x8_v64, idct_accurate_8x8_v64, idct_accurate_8x8_v64x, idct_accurate_8x8_v128}) {
    for (const auto& e : extremes()) {
      std::memcpy(b, e.data(), 128);
      f(b);
      for (int i = 0; i < 64; ++i) ASSERT_TRUE(b[i] >= 0 && b[i] <= 255);
    }
    for (int n = 0; n < 1000; ++n) {
      for (int i = 0; i < 64; ++i) b[i] = int16_t(rng());
      f(b);
      for (int i = 0; i < 64; ++i) ASSERT_TRUE(b[i] >= 0 && b[i] <= 255);
    }
  }
}

TEST(JpegVectorTransforms, RowTablesHoldTheListedValues) {
  const int16_t(&r0)[8] = vector_row_table(0);
  const int16_t(&r1)[8] = vector_row_table(1);
  // index 0 is k = 4, then k = 1, 2, 3, 5, 6, 7
  const int16_t want0[7] = {16384, 22725, 21407, 19266, 12873, 8867, 4520};
  const int order[7] = {0, 1, 2, 3, 5, 6, 7};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(r0[order[i]], want0[i]) << i;
  const int16_t want1[4] = {22725, 31521, 29692, 26722};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r1[order[i]], want1[i]) << i;
  // the model builds the same tables independently
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 8; ++k) EXPECT_EQ(vector_row_table(r)[k], kModel.w[r][k]) << r << "," << k;
}

// ---- against double precision ----------------------------------------------------------------------

double cu(int u) { return u == 0 ? 1.0 / std::sqrt(2.0) : 1.0; }

void fdct_ref(const int16_t* f, double* F) {
  for (int v = 0; v < 8; ++v)
    for (int u = 0; u < 8; ++u) {
      double s = 0;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          s += f[8 * y + x] * std::cos((2 * x + 1) * u * kPi / 16) * std::cos((2 * y + 1) * v * kPi / 16);
      F[8 * v + u] = s * cu(u) * cu(v) / 4;
    }
}

void idct_ref(const int16_t* F, double* f) {
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      double s = 0;
      for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u)
          s += cu(u) * cu(v) * F[8 * v + u] * std::cos((2 * x + 1) * u * kPi / 16) * std::cos((2 * y + 1) * v * kPi / 16);
      f[8 * y + x] = s / 4;
    }
}

// Peak error over random sample blocks: forward (coefficients) and inverse (samples).
TEST(JpegVectorTransforms, WithinPinnedBoundsOfTheExactTransforms) {
  std::mt19937 rng(33);
  double fwd_peak = 0, inv_peak = 0;
  int16_t b[64], c[64];
  double F[64], f[64];
  for (int n = 0; n < 3000; ++n) {
    // smooth blocks, like pictures, and plain noise
    const int base = int(rng() % 200) - 100;
    for (int i = 0; i < 64; ++i)
      b[i] = int16_t(n & 1 ? int(rng() % 256) - 128 : std::clamp(base + int(rng() % 41) - 20 + (i % 8) * 3, -128, 127));
    fdct_ref(b, F);
    std::memcpy(c, b, sizeof c);
    fdct_accurate_v128(c);
    for (int i = 0; i < 64; ++i) fwd_peak = std::max(fwd_peak, std::fabs(c[i] - F[i]));
    // the inverse of the exact coefficients rounded
    for (int i = 0; i < 64; ++i) c[i] = int16_t(std::lround(F[i]));
    idct_ref(c, f);
    idct_accurate_8x8_v128(c);
    for (int i = 0; i < 64; ++i) {
      const double want = std::clamp(f[i] + 128, 0.0, 255.0);
      inv_peak = std::max(inv_peak, std::fabs(c[i] - want));
    }
  }
  RecordProperty("forward_peak", std::to_string(fwd_peak));
  RecordProperty("inverse_peak", std::to_string(inv_peak));
  // measured: 0.664 and 0.601
  EXPECT_LE(fwd_peak, 0.75);
  EXPECT_LE(inv_peak, 0.75);
  std::printf("accurate forward peak %.3f, inverse peak %.3f\n", fwd_peak, inv_peak);
}

// The fast members against the generic fast ones (same scale, coarser multipliers).
TEST(JpegVectorTransforms, FastMembersNearTheGenericOnes) {
  std::mt19937 rng(34);
  int fwd_peak = 0, inv_peak = 0;
  int16_t a[64], g[64];
  for (int n = 0; n < 20000; ++n) {
    for (int i = 0; i < 64; ++i) a[i] = g[i] = int16_t(int(rng() % 256) - 128);
    fdct_fast_v64(a);
    fdct_fast(g);
    for (int i = 0; i < 64; ++i) fwd_peak = std::max(fwd_peak, std::abs(a[i] - g[i]));
    for (int i = 0; i < 64; ++i) a[i] = g[i] = int16_t((n % 3 == 0 ? int(rng() % 512) : int(rng() % 64)) - (i ? 32 : 0));
    idct_fast_8x8_v64(a);
    idct_fast_8x8(g);
    for (int i = 0; i < 64; ++i) inv_peak = std::max(inv_peak, std::abs(a[i] - g[i]));
  }
  // measured on this generator: 22 and 6 (noise blocks; the truncated products of the first
  // pass are scaled up by the second)
  EXPECT_LE(fwd_peak, 22);
  EXPECT_LE(inv_peak, 6);
  std::printf("fast forward peak %d, inverse peak %d\n", fwd_peak, inv_peak);
}

}  // namespace

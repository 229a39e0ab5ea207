// The transform kernels against double-precision references.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "jpeg/internal.h"

namespace {

using namespace jcodec;

const double kPi = 3.14159265358979323846;

double cu(int u) { return u == 0 ? 1.0 / std::sqrt(2.0) : 1.0; }

struct CosTable {
  double c[8][8];  // c[x][u] = cos((2x + 1) u pi / 16)
  CosTable() {
    for (int x = 0; x < 8; ++x)
      for (int u = 0; u < 8; ++u) c[x][u] = std::cos((2 * x + 1) * u * kPi / 16);
  }
};
const CosTable kCos;

// Separable double-precision transforms.
void fdct_ref(const double* f, double* F) {
  double t[64];
  for (int y = 0; y < 8; ++y)
    for (int u = 0; u < 8; ++u) {
      double s = 0;
      for (int x = 0; x < 8; ++x) s += f[y * 8 + x] * kCos.c[x][u];
      t[y * 8 + u] = s * cu(u) / 2;
    }
  for (int u = 0; u < 8; ++u)
    for (int v = 0; v < 8; ++v) {
      double s = 0;
      for (int y = 0; y < 8; ++y) s += t[y * 8 + u] * kCos.c[y][v];
      F[v * 8 + u] = s * cu(v) / 2;
    }
}

void idct_ref(const double* F, double* f) {
  double t[64];
  for (int v = 0; v < 8; ++v)
    for (int x = 0; x < 8; ++x) {
      double s = 0;
      for (int u = 0; u < 8; ++u) s += cu(u) * F[v * 8 + u] * kCos.c[x][u];
      t[v * 8 + x] = s / 2;
    }
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) {
      double s = 0;
      for (int v = 0; v < 8; ++v) s += cu(v) * t[v * 8 + x] * kCos.c[y][v];
      f[y * 8 + x] = s / 2;
    }
}

struct Stats {
  int peak = 0;
  double sum = 0, sq = 0;
  long n = 0;
  void add(int e) {
    peak = std::max(peak, std::abs(e));
    sum += e;
    sq += double(e) * e;
    ++n;
  }
  double mean() const { return sum / double(n); }
  double mse() const { return sq / double(n); }
};

int clamp255(double v) { return std::clamp(int(std::lround(v)), 0, 255); }

// IEEE-1180 style input: random pixels in [-lo, hi], forward transformed and rounded.
void random_coefficients(std::mt19937& rng, int lo, int hi, int16_t* c) {
  std::uniform_int_distribution<int> d(-lo, hi);
  double f[64], F[64];
  for (double& v : f) v = d(rng);
  fdct_ref(f, F);
  for (int i = 0; i < 64; ++i) c[i] = int16_t(std::clamp(int(std::lround(F[i])), -2048, 2047));
}

// Multipliers of the fast family for a table of ones.
void fast_ones(int16_t table[80]) {
  int16_t ones[64];
  for (int16_t& v : ones) v = 1;
  ASSERT_TRUE(prepare_fast_idct(ones, table));
}

TEST(JpegTransforms, InverseTransformsAgainstTheReference) {
  // Measured bounds: accurate 8x8 within IEEE-1180's peak of 1; the fast family within 5.
  const int ranges[][2] = {{256, 255}, {5, 5}, {300, 300}};
  int16_t ones[80];
  fast_ones(ones);
  for (auto [lo, hi] : ranges) {
    std::mt19937 rng(1180 + lo);
    Stats acc, fast;
    for (int iter = 0; iter < 3000; ++iter) {
      int16_t c[64];
      random_coefficients(rng, lo, hi, c);
      double F[64];
      for (int i = 0; i < 64; ++i) F[i] = c[i];
      alignas(32) int16_t a[64], f[64];
      std::copy(c, c + 64, a);
      std::copy(c, c + 64, f);
      idct_accurate_8x8(a);
      dequantize_fast(f, ones);
      idct_fast_8x8(f);
      double r[64];
      idct_ref(F, r);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          int ref = clamp255(r[y * 8 + x] + 128);
          acc.add(a[y * 8 + x] - ref);
          fast.add(f[y * 8 + x] - ref);
        }
    }
    EXPECT_LE(acc.peak, 1) << lo;
    EXPECT_LT(std::abs(acc.mean()), 0.015) << lo;
    EXPECT_LT(acc.mse(), 0.06) << lo;
    EXPECT_LE(fast.peak, 5) << lo;
    EXPECT_LT(std::abs(fast.mean()), 0.1) << lo;
  }
}

TEST(JpegTransforms, ReducedInverseTransformsAverageTheFullOutput) {
  // Low-pass blocks (only frequencies the reduced output can carry) against the mean of each
  // output cell of the full inverse. Measured bounds.
  std::mt19937 rng(99);
  int16_t ones[80];
  fast_ones(ones);
  for (int n : {4, 2}) {
    Stats acc, fast;
    for (int iter = 0; iter < 2000; ++iter) {
      alignas(32) int16_t c[64] = {};
      double F[64] = {};
      std::uniform_int_distribution<int> d(-200, 200);
      for (int v = 0; v < n; ++v)
        for (int u = 0; u < n; ++u) F[v * 8 + u] = c[v * 8 + u] = int16_t(d(rng) * (u + v == 0 ? 3 : 1));
      alignas(32) int16_t a[64], f[64];
      std::copy(c, c + 64, a);
      std::copy(c, c + 64, f);
      dequantize_fast(f, ones);
      if (n == 4) {
        idct_accurate_4x4(a);
        idct_fast_4x4(f);
      } else {
        idct_accurate_2x2(a);
        idct_fast_2x2(f);
      }
      const int cell = 8 / n;
      double full[64];
      idct_ref(F, full);
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
          double sum = 0;
          for (int dy = 0; dy < cell; ++dy)
            for (int dx = 0; dx < cell; ++dx) sum += full[(y * cell + dy) * 8 + x * cell + dx];
          int ref = clamp255(sum / (cell * cell) + 128);
          acc.add(a[y * 8 + x] - ref);
          fast.add(f[y * 8 + x] - ref);
        }
    }
    EXPECT_LE(acc.peak, 2) << n;
    EXPECT_LE(fast.peak, 4) << n;
    EXPECT_LT(std::abs(acc.mean()), 0.1) << n;
  }
}

TEST(JpegTransforms, ForwardTransformsAgainstTheReference) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> d(-128, 127);
  Stats acc, fast;
  for (int iter = 0; iter < 10000; ++iter) {
    double f[64], F[64];
    alignas(32) int16_t a[64], b[64];
    for (int i = 0; i < 64; ++i) a[i] = b[i] = int16_t(f[i] = d(rng));
    fdct_ref(f, F);
    fdct_accurate(a);
    fdct_fast(b);
    for (int v = 0; v < 8; ++v)
      for (int u = 0; u < 8; ++u) {
        auto s = [](int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * kPi / 16); };
        int ref = int(std::lround(F[v * 8 + u]));
        acc.add(a[v * 8 + u] - ref);
        fast.add(int(std::lround(b[v * 8 + u] / (8 * s(u) * s(v)))) - ref);
      }
  }
  // Measured bounds.
  EXPECT_LE(acc.peak, 2);
  EXPECT_LT(std::abs(acc.mean()), 0.05);
  EXPECT_LE(fast.peak, 4);
}

TEST(JpegTransforms, DcOnlyBlocksGiveUniformOutput) {
  int16_t ones[80];
  fast_ones(ones);
  using Kernel = void (*)(int16_t*);
  struct K {
    Kernel k;
    int n;
    bool fast;
  };
  const K kernels[] = {{idct_accurate_8x8, 8, false}, {idct_accurate_4x4, 4, false}, {idct_accurate_2x2, 2, false},
                       {idct_accurate_1x1, 1, false}, {idct_fast_8x8, 8, true},      {idct_fast_4x4, 4, true},
                       {idct_fast_2x2, 2, true},      {idct_fast_1x1, 1, true}};
  for (const K& k : kernels)
    for (int dc : {-1024, -300, -8, 0, 5, 77, 512, 1016}) {
      alignas(32) int16_t b[64] = {};
      b[0] = int16_t(dc);
      if (k.fast) dequantize_fast(b, ones);
      k.k(b);
      int expect = clamp255(dc / 8.0 + 128);
      for (int y = 0; y < k.n; ++y)
        for (int x = 0; x < k.n; ++x) {
          EXPECT_EQ(b[y * 8 + x], b[0]) << k.n << " " << dc;
          EXPECT_LE(std::abs(b[y * 8 + x] - expect), 1) << k.n << " " << dc;
        }
    }
}

TEST(JpegTransforms, OneByOneClampEdges) {
  const std::pair<int, int> fast[] = {{2039, 255}, {2023, 254}, {-2057, 0}, {-2056, 0}, {-2040, 1}, {0, 128}};
  for (auto [in, out] : fast) {
    int16_t b[64] = {int16_t(in)};
    idct_fast_1x1(b);
    EXPECT_EQ(b[0], out) << in;
  }
  const std::pair<int, int> acc[] = {{1020, 255}, {1011, 254}, {-1028, 0}, {-1029, 0}, {-1020, 1}, {0, 128}};
  for (auto [in, out] : acc) {
    int16_t b[64] = {int16_t(in)};
    idct_accurate_1x1(b);
    EXPECT_EQ(b[0], out) << in;
  }
}

TEST(JpegTransforms, QuantisersAndTablePreparation) {
  int16_t steps[64];
  for (int k = 0; k < 64; ++k) steps[k] = int16_t(1 + k);
  int16_t recip[80];
  prepare_accurate_encoder(steps, recip);
  EXPECT_EQ(uint16_t(recip[0]), 32768);  // a step of 1
  alignas(32) int16_t b[64];
  for (int i = 0; i < 64; ++i) b[i] = int16_t(-500 + 16 * i);
  int16_t copy[64];
  std::copy(b, b + 64, copy);
  for (int16_t& v : steps) v = 1;
  prepare_accurate_encoder(steps, recip);
  quantize_accurate(b, recip);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(b[i], copy[i]);  // step 1 leaves the value
  // plain preparation reorders zigzag to natural order
  for (int k = 0; k < 64; ++k) steps[k] = int16_t(k);
  int16_t plain[80];
  prepare_plain(steps, plain);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(plain[kZigzag[k]], k);
  for (int k = 64; k < 80; ++k) EXPECT_EQ(plain[k], 0);
  // a DC step of 128 does not fit the fast multipliers
  steps[0] = 128;
  EXPECT_FALSE(prepare_fast_idct(steps, plain));
  steps[0] = 16;
  EXPECT_TRUE(prepare_fast_idct(steps, plain));
  EXPECT_EQ(plain[0], 4096);
}

}  // namespace

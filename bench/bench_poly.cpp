// Polygon geometry: the front/behind comparison (no runtime caller: recorded only) and the fill
// of a placed sprite footprint.
#include <benchmark/benchmark.h>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/poly/poly_geom.h"

namespace {

void BM_PolyCompareDepthOverlapping(benchmark::State& state) {
  POLY a{}, b{};
  poly_make_ellipse(&a, 0, 0, 30, 15);
  poly_make_rect(&b, 0, 0, 20, 10);
  for (auto _ : state) benchmark::DoNotOptimize(poly_compare_depth(&a, 100, 100, 0, &b, 110, 104, 5));
}
BENCHMARK(BM_PolyCompareDepthOverlapping);

void BM_PolyCompareDepthApart(benchmark::State& state) {
  POLY a{}, b{};
  poly_make_ellipse(&a, 0, 0, 30, 15);
  poly_make_rect(&b, 0, 0, 20, 10);
  for (auto _ : state) benchmark::DoNotOptimize(poly_compare_depth(&a, 100, 100, 0, &b, 150, 140, 0));
}
BENCHMARK(BM_PolyCompareDepthApart);

void BM_PolyFillAt(benchmark::State& state) {
  BITMAP16* target = bitmap16_create(800, 600);
  POLY p{};
  poly_make_ellipse(&p, 0, 0, 60, 30);
  for (auto _ : state) {
    poly_fill_at(400, 300, &p, 0x1234, target);
    benchmark::ClobberMemory();
  }
  bitmap16_free(&target);
}
BENCHMARK(BM_PolyFillAt);

}  // namespace

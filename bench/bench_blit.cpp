// blit16_add_keyed of an 800 x 600 source against memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_ratio.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/clipblit/clipped_blit.h"

namespace {

BITMAP16* filled(uint16_t seed) {
  BITMAP16* b = bitmap16_create(800, 600);
  for (uint32_t y = 0; y < 600; ++y)
    for (uint32_t x = 0; x < 800; ++x) b->rows[y][x] = static_cast<uint16_t>((x * 31 + y * 977 + seed) | 1);
  return b;
}

void BM_AnchorMemcpy960000(benchmark::State& state) { bench_ratio::memcpyScreen(state); }
BENCHMARK(BM_AnchorMemcpy960000)->UseRealTime();

void BM_Blit16AddKeyed800x600(benchmark::State& state) {
  BITMAP16* src = filled(3);
  BITMAP16* dst = filled(7);
  for (auto _ : state) {
    blit16_add_keyed(0, 0, src, dst);
    benchmark::ClobberMemory();
  }
  bitmap16_free(&src);
  bitmap16_free(&dst);
}
BENCHMARK(BM_Blit16AddKeyed800x600)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {bench_ratio::overMemcpy("BM_Blit16AddKeyed800x600", "target <= 4", "BM_AnchorMemcpy960000")});
}

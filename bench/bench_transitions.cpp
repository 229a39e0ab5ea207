// One pass of each screen transition on the 800 x 600 screens, drawn and finished with the present
// stubbed (no pacing), beside a memcpy of one screen (960,000 bytes) as the anchor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_ratio.h"
#include "client/game/record_capture.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/window/window_manager.h"
#include "engine/draw/draw.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/cpu/cpu.h"
#include "graphics/pixel_ops/blit_ops.h"

namespace {


int32_t present_stub(BITMAP16*) { return 0; }

void random_fill(BITMAP16* bm, uint32_t seed) {
  std::mt19937 rng(seed);
  for (uint32_t y = 0; y < bm->height; ++y)
    for (uint32_t x = 0; x < bm->width; ++x) bm->rows[y][x] = static_cast<uint16_t>(rng());
}

struct Screens {
  Screens() {
    cpu_detect_mmx();  // the whole-buffer set the game installs on this processor
    draw_install_pixel_ops(0xF800, 0x07E0, 0x001F);
    screen_buffers_create();
    random_fill(screen_back, 1);
    random_fill(screen_new, 2);
    random_fill(screen_saved, 3);
    draw_present_slot = present_stub;
  }
};
void screens() { static Screens s; }

// What every transition does after drawing a pass, less the pause.
void finish(BITMAP16* bm) {
  window_lists_run(0);
  window_lists_run(1);
  record_capture_frame();
  draw_present_slot(bm);
}

void BM_AnchorMemcpyScreen(benchmark::State& state) { bench_ratio::memcpyScreen(state); }

// A pass in the middle of the wipe: every row drawing its full 255-pixel gradient.
void BM_DissolvePass(benchmark::State& state) {
  screens();
  std::vector<DISSOLVE_ROW> start(DISSOLVE_ROWS), rows(DISSOLVE_ROWS);
  for (int32_t y = 0; y < DISSOLVE_ROWS; ++y) start[static_cast<size_t>(y)] = DISSOLVE_ROW{0, 400 + (y % 4) * 32};
  for (auto _ : state) {
    rows = start;
    benchmark::DoNotOptimize(dissolve_pass(rows.data()));
    finish(screen_back);
    benchmark::ClobberMemory();
  }
}

void BM_FadePass(benchmark::State& state) {
  screens();
  for (auto _ : state) {
    fade_pass(128);
    finish(screen_back);
    blit_copy_whole(screen_saved, screen_back);
    benchmark::ClobberMemory();
  }
}

// The first and largest zoom picture: the whole screen scaled into the whole of screen_work.
void BM_ZoomPass(benchmark::State& state) {
  screens();
  for (auto _ : state) {
    zoom_pass(screen_back, 0, 0, 800, 600);
    record_capture_frame();
    draw_present_slot(screen_work);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_AnchorMemcpyScreen)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DissolvePass)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FadePass)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomPass)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const auto pair = [](const char* name, const char* target) { return bench_ratio::overMemcpy(name, target); };
  return bench_ratio::run(argc, argv,
                          {pair("BM_DissolvePass", "target <= 3"), pair("BM_FadePass", "target <= 4"),
                           pair("BM_ZoomPass", "target <= 6")});
}

// One map frame of the game main task with the stand-in seams and the frame step stubbed, held
// against the same calls without the step guards: the guards must cost nothing on the path
// without exceptions (target at most 1.2 x).
#include <benchmark/benchmark.h>

#include "bench/bench_headless.h"
#include "bench/bench_ratio.h"
#include "bench/bench_game_main_frame.h"
#include "client/common/seam_calls.h"
#include "client/game/game_main.h"
#include "client/game/game_main_frame.h"
#include "core/reset/module_resets.h"
#include "plat/headless.h"

namespace {

uint32_t g_frames = 0;
uint32_t stub_frame_step() { return ++g_frames; }

// The same calls run bare: the anchor.
struct BareStep {
  template <typename F>
  void operator()(int, F&& step) const {
    step();
  }
};

void setUp() {
  static bool done = false;
  if (done) return;
  done = true;
  const plat::HeadlessOptions o = bench_headless::options("game-main");
  plat::install(plat::makeHeadlessPlatform(o));
  module_resets_run_all();
  game_main_frame_step = stub_frame_step;
}

template <typename Step>
void runFrames(benchmark::State& state, const Step& step) {
  setUp();
  GAME_MAIN_RUN run{};
  run.result = -1;
  for (auto _ : state) {
    // The stand-ins record into a bounded log: keep it from filling so every frame does the same.
    seam_calls_clear();
    benchmark::DoNotOptimize(game_main_frame_with(run, step));
  }
}

void BM_GameMainFrame(benchmark::State& s) { runFrames(s, GameStepGuard{}); }
void BM_GameMainFrameUnguarded(benchmark::State& s) { runFrames(s, BareStep{}); }

}  // namespace

BENCHMARK(BM_GameMainFrame)->UseRealTime();
BENCHMARK(BM_GameMainFrameUnguarded)->UseRealTime();

bench_ratio::Pair game_main_frame_pair() {
  return {"BM_GameMainFrame/real_time", "BM_GameMainFrameUnguarded/real_time",
          "guarded frame over bare calls, at most 1.2", false};
}

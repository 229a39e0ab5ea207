// The whole-buffer routines, the stretch and DRAW's present at 800 x 600 in 565, each against
// a memcpy of one screen (960,000 bytes).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "bench/bench_ratio.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/headless.h"
#include "plat/platform.h"

namespace {

constexpr size_t kScreenBytes = 800 * 600 * 2;

BITMAP16* random_bitmap(int32_t w, int32_t h, uint32_t seed) {
  BITMAP16* bm = bitmap16_create(w, h);
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) bm->rows[y][x] = static_cast<uint16_t>(rng());
  return bm;
}

struct Screens {
  BITMAP16* src = random_bitmap(800, 600, 1);
  BITMAP16* dst = random_bitmap(800, 600, 2);
  BITMAP16* small = random_bitmap(640, 480, 3);
  Screens() {
    gfx16_set_mmx_masks(PIXEL_FORMAT_565);
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
  }
};
Screens& screens() {
  static Screens s;
  return s;
}

void BM_AnchorMemcpyScreen(benchmark::State& state) { bench_ratio::memcpyScreen(state); }
BENCHMARK(BM_AnchorMemcpyScreen)->UseRealTime()->Unit(benchmark::kMicrosecond);

template <class F>
void run_screen(benchmark::State& state, F f) {
  Screens& s = screens();
  for (auto _ : state) {
    f(s);
    benchmark::DoNotOptimize(s.dst->rows[0]);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kScreenBytes));
}

void BM_MmxBlitCopy(benchmark::State& st) { run_screen(st, [](Screens& s) { mmx_blit_copy(0, 0, s.src, s.dst); }); }
void BM_MmxBlitBlend(benchmark::State& st) {
  run_screen(st, [](Screens& s) { mmx_blit_blend(0, 0, s.src, s.dst, 128); });
}
void BM_MmxFillBlend(benchmark::State& st) {
  run_screen(st, [](Screens& s) { mmx_fill_blend(0, 0, 800, 600, 0x8410, s.dst, 128); });
}
void BM_MmxBlitMix(benchmark::State& st) { run_screen(st, [](Screens& s) { mmx_blit_mix(0, 0, s.src, s.dst); }); }
void BM_MmxBlitAdd(benchmark::State& st) { run_screen(st, [](Screens& s) { mmx_blit_add(0, 0, s.src, s.dst); }); }
void BM_MmxBlitGrey(benchmark::State& st) { run_screen(st, [](Screens& s) { mmx_blit_grey(0, 0, s.src, s.dst); }); }
void BM_MmxBrighten(benchmark::State& st) { run_screen(st, [](Screens& s) { mmx_brighten(8, 8, 8, s.dst); }); }
void BM_MmxDarken(benchmark::State& st) { run_screen(st, [](Screens& s) { mmx_darken(8, 8, 8, s.dst); }); }
void BM_Stretch640To800(benchmark::State& st) {
  run_screen(st, [](Screens& s) { bitmap16_stretch(0, 0, 800, 600, s.small, s.dst); });
}
// What the whole-buffer routines save: the row-13 slot called once per pixel.
void BM_Row13PerPixel(benchmark::State& st) {
  run_screen(st, [](Screens& s) {
    auto blend = pixel_ops.blend;
    for (int y = 0; y < 600; ++y) {
      const uint16_t* a = s.src->rows[y];
      uint16_t* b = s.dst->rows[y];
      for (int x = 0; x < 800; ++x) blend(a + x, b + x, 128);
    }
  });
}
BENCHMARK(BM_MmxBlitCopy)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxBlitBlend)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxFillBlend)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxBlitMix)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxBlitAdd)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxBlitGrey)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxBrighten)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MmxDarken)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Stretch640To800)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Row13PerPixel)->UseRealTime()->Unit(benchmark::kMicrosecond);

// DRAW installed on a platform with a main window; false when no window can be made.
bool start_draw(bool sdl) {
  static const auto dir = std::filesystem::temp_directory_path() / "veldra-bench-graphics";
  std::filesystem::create_directories(dir);
  if (sdl) {
    setenv("VELDRA_GAME_DIR", dir.c_str(), 1);
    setenv("VELDRA_PLATFORM", "sdl", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    plat::reloadEnvironment();
    plat::installFromEnvironment();
  } else {
    plat::HeadlessOptions options;
    options.gameDir = dir.string();
    options.watchdog = false;
    plat::installHeadless(options);
  }
  engine_reset();
  draw_reset();
  plat::WindowDesc d;
  d.titleCp936 = "bench";
  d.pos = plat::Point{0, 0};
  engine_state().window = plat::get().windows().create(d);
  if (engine_state().window == plat::kNoWindow) return false;
  sys_set_display_mode(1);
  return draw_module_init() == 0;
}

void stop_draw() {
  draw_module_free();
  engine_reset();
  plat::install(nullptr);
}

void present_loop(benchmark::State& state, bool sdl) {
  if (!start_draw(sdl)) {
    state.SkipWithError("no display");
    return;
  }
  BITMAP16* src = screens().src;
  std::memcpy(screen_back->rows[0], src->rows[0], kScreenBytes);
  draw_present(screen_back);  // the staging kind is chosen on the first present
  for (auto _ : state) benchmark::DoNotOptimize(draw_present(screen_back));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kScreenBytes));
  stop_draw();
}

void BM_DrawPresentMemoryDisplay(benchmark::State& st) { present_loop(st, false); }
void BM_DrawPresentSdlDummy(benchmark::State& st) { present_loop(st, true); }
BENCHMARK(BM_DrawPresentMemoryDisplay)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawPresentSdlDummy)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const auto pair = [](const char* name, const char* target) { return bench_ratio::overMemcpy(name, target); };
  const int rc = bench_ratio::run(
      argc, argv,
      {pair("BM_DrawPresentMemoryDisplay", "target <= 1.5"), pair("BM_DrawPresentSdlDummy", "recorded"),
       pair("BM_MmxBlitCopy", "target <= 1.5"), pair("BM_MmxBlitBlend", "target <= 4"),
       pair("BM_MmxFillBlend", "target <= 4"), pair("BM_MmxBlitMix", "target <= 4"),
       pair("BM_MmxBlitAdd", "target <= 4"), pair("BM_MmxBlitGrey", "target <= 4"),
       pair("BM_MmxBrighten", "target <= 4"), pair("BM_MmxDarken", "target <= 4"),
       pair("BM_Stretch640To800", "target <= 6"), pair("BM_Row13PerPixel", "recorded")});
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "veldra-bench-graphics", ec);
  return rc;
}

// The map's background: one page decoded into its slot (map_page_load) beside jpg_load_region of
// the same JPEG from a file, the view drawn out of four slots (map_draw_view) beside a screen
// memcpy, and the load of the largest map the format allows (16,000 x 12,000 pixels, 400 pages,
// 4,000 x 4,000 cells), recorded. Targets: the page at most 1.1 x its anchor and under 4 ms; the
// view at most 1.5 x the memcpy.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_headless.h"
#include "bench/bench_jpeg_common.h"
#include "bench/bench_ratio.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "jpeg/jcodec.h"
#include "tools/mapwrite/mapwrite.h"
#include "world/map/map_data.h"
#include "world/map/map_load.h"
#include "world/map/map_pages.h"

namespace {

struct Setup {
  std::filesystem::path dir;
  std::vector<uint8_t> jpeg = bench_jpeg::page_picture();
  BITMAP16* target = nullptr;
  bool ok = false;

  void write(const std::string& rel, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories((dir / rel).parent_path());
    std::ofstream(dir / rel, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  Setup() {
    plat::HeadlessOptions o = bench_headless::options("map");
    dir = o.gameDir;
    plat::installHeadless(o);
    system_module_init();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    bench_jpeg::pin_generic_kernels();
    jpeg_register_module();
    write("SYSTEM/page.jpg", jpeg);
    mapw::MapFile m;
    m.width = 1600;
    m.height = 1200;
    for (int i = 0; i < 4; ++i) m.pages.push_back({i % 2, i / 2, jpeg});
    write("MAP/BENCH.MAP", mapw::map_build(m));
    // The largest map: every page the same picture, every cell free.
    mapw::MapFile big;
    big.width = MAP_MAX_WIDTH;
    big.height = MAP_MAX_HEIGHT;
    big.cell_width = 4;
    big.cell_height = 3;
    for (int i = 0; i < 400; ++i) big.pages.push_back({i % 20, i / 20, jpeg});
    write("MAP/LARGEST.MAP", mapw::map_build(big));
    target = bitmap16_create(800, 600);
    ok = target && map_load_file("MAP\\BENCH.MAP", 400, 300) == 0;
  }
  ~Setup() {
    bitmap16_free(&target);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};
Setup* the_setup = nullptr;
Setup& setup() {
  if (!the_setup) the_setup = new Setup;
  return *the_setup;
}

void BM_MapPageLoad(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("map did not load");
  for (auto _ : state) {
    map_page_load(800, 600, 0);
    benchmark::DoNotOptimize(map_record.pages[0].bitmap->rows[0]);
  }
}
BENCHMARK(BM_MapPageLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnchorJpgLoadRegion(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("map did not load");
  for (auto _ : state) {
    if (jpg_load_region("SYSTEM/page.jpg", s.target, 0, 0, 800, 600) != 0) state.SkipWithError("page did not load");
    benchmark::DoNotOptimize(s.target->rows[0]);
  }
}
BENCHMARK(BM_AnchorJpgLoadRegion)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MapDrawView(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok || map_page_cache_fill(400, 300) != 0) return state.SkipWithError("map did not load");
  for (auto _ : state) {
    map_draw_view(s.target, 400, 300);
    benchmark::DoNotOptimize(s.target->rows[0]);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MapDrawView)->UseRealTime();
BENCHMARK(bench_ratio::memcpyScreen)->Name("BM_AnchorMemcpyScreen")->UseRealTime();

void BM_MapLoadLargest(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("map did not load");
  for (auto _ : state) {
    if (map_load_file("MAP\\LARGEST.MAP", 8000, 6000) != 0) state.SkipWithError("the largest map did not load");
  }
  state.counters["cells"] = static_cast<double>(map_record.cells.size());
}
BENCHMARK(BM_MapLoadLargest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  const int r = bench_ratio::run(
      argc, argv,
      {{"BM_MapPageLoad/real_time", "BM_AnchorJpgLoadRegion/real_time", "time over jpg_load_region, target <= 1.1",
        false},
       bench_ratio::overMemcpy("BM_MapDrawView", "target <= 1.5")});
  delete the_setup;
  return r;
}

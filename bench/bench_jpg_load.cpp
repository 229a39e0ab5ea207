// jpg_load_region of an 800 x 600 page (file read, header, region decode, 565 conversion) as
// the client runs it: the codec reached through its registered module, the SYSTEM log up, the
// generic kernels. Its two halves are timed alone beside it. Target: the page under 4 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_jpeg_common.h"
#include "bench/bench_ratio.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "jpeg/jcodec.h"
#include "plat/headless.h"

namespace {

constexpr const char* kPage = "SYSTEM/c1meu008.jpg";
constexpr const char* kLoadRow = "jpg_load_region 800x600 page";
constexpr double kTargetMs = 4.0;

struct Setup {
  std::filesystem::path dir;
  std::vector<uint8_t> jpeg = bench_jpeg::page_picture();
  BITMAP16* target = nullptr;
  bool ok = false;

  Setup() {
    std::random_device rd;
    dir = std::filesystem::temp_directory_path() / ("veldra-bench-jpg-" + std::to_string(rd()));
    std::filesystem::create_directories(dir / "SYSTEM");
    std::ofstream(dir / kPage, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    plat::HeadlessOptions o;
    o.gameDir = dir.string();
    o.watchdog = false;
    plat::installHeadless(o);
    system_module_init();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    bench_jpeg::pin_generic_kernels();
    jpeg_register_module();  // as the client does before its first screen
    target = bitmap16_create(800, 600);
    ok = target && jpg_load_region(kPage, target, 0, 0, 800, 600) == 0;
  }
  ~Setup() {
    bitmap16_free(&target);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};
// Made on first use, removed by main before the platform goes away.
Setup* the_setup = nullptr;
Setup& setup() {
  if (!the_setup) the_setup = new Setup;
  return *the_setup;
}

// cls: the codec's processor class for the row (0: generic kernels; 6: the vector kernels that
// today's processors get).
void BM_JpgLoadRegionPage(benchmark::State& state, int cls) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("page did not load");
  bench_jpeg::pin_class(cls);
  for (auto _ : state) {
    if (jpg_load_region(kPage, s.target, 0, 0, 800, 600) != 0) state.SkipWithError("page did not load");
    benchmark::DoNotOptimize(s.target->rows[0]);
  }
  bench_jpeg::pin_generic_kernels();
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}

// The decode half: B,G,R rows from the bytes in memory, buffer allocated as the loader has it.
void BM_JpegDecodePage(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("page did not load");
  for (auto _ : state) {
    uint8_t* rows = nullptr;
    size_t size = 0;
    if (jpeg_decode(s.jpeg.data(), s.jpeg.size(), 0, 0, 800, 600, &rows, &size) != 0)
      state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(rows);
    std::free(rows);
  }
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}

// The conversion half: the decoded rows into the 565 bitmap.
void BM_ConvertRgb24Page(benchmark::State& state) {
  Setup& s = setup();
  if (!s.ok) return state.SkipWithError("page did not load");
  uint8_t* rows = nullptr;
  size_t size = 0;
  if (jpeg_decode(s.jpeg.data(), s.jpeg.size(), 0, 0, 800, 600, &rows, &size) != 0)
    return state.SkipWithError("decode failed");
  for (auto _ : state) {
    convert_rgb24_rows(rows, s.target, 800, 600);
    benchmark::DoNotOptimize(s.target->rows[0]);
  }
  std::free(rows);
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}

}  // namespace

int main(int argc, char** argv) {
  // The file is read through the platform on every load: wall clock.
  benchmark::RegisterBenchmark(kLoadRow, BM_JpgLoadRegionPage, 0)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("jpg_load_region 800x600 page, class 6", BM_JpgLoadRegionPage, 6)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("jpeg_decode 800x600", BM_JpegDecodePage)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("convert_rgb24_rows 800x600 565", BM_ConvertRgb24Page)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench_ratio::Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  delete the_setup;
  auto it = reporter.times.find(std::string(kLoadRow) + "/real_time");
  if (it != reporter.times.end()) {
    // adjusted real time is in the row's unit, milliseconds
    const double ms = it->second;
    std::printf("\n%s: %.2f ms (target under %.0f ms: %s)\n", kLoadRow, ms, kTargetMs,
                ms < kTargetMs ? "met" : "NOT met");
  }
  return 0;
}

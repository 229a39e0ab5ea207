// bmp_save of the 800 x 600 back bitmap (the replay capture writes one per frame) against one
// fwrite of a file of the same size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/bench_ratio.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bmp/bmp.h"
#include "plat/headless.h"

namespace {

constexpr size_t kFileSize = 54 + 2400 * 600;  // 1,440,054 bytes

std::filesystem::path& dir() {
  static std::filesystem::path d = [] {
    auto p = std::filesystem::temp_directory_path() / "veldra-bench-bmp";
    std::filesystem::create_directories(p);
    plat::HeadlessOptions o;
    o.gameDir = p.string();
    o.watchdog = false;
    plat::installHeadless(o);
    return p;
  }();
  return d;
}

void BM_BmpSave800x600(benchmark::State& state) {
  dir();
  BITMAP16* bm = bitmap16_create(800, 600);
  for (uint32_t y = 0; y < 600; ++y)
    for (uint32_t x = 0; x < 800; ++x) bm->rows[y][x] = static_cast<uint16_t>(x * 31 + y * 977);
  for (auto _ : state) {
    if (bmp_save(bm, "capture.bmp") != 0) state.SkipWithError("save failed");
  }
  bitmap16_free(&bm);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_BmpSave800x600)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AnchorFwrite(benchmark::State& state) {
  const std::string path = (dir() / "anchor.bmp").string();
  std::vector<uint8_t> bytes(kFileSize, 0x5A);
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_AnchorFwrite)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_ratio::run(argc, argv,
                                  {{"BM_BmpSave800x600/real_time", "BM_AnchorFwrite/real_time",
                                    "bmp_save time over one fwrite, target <= 2.0", false}});
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "veldra-bench-bmp", ec);
  return rc;
}

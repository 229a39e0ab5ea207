// GrowArray appends against std::vector, and error.txt lines against a bare open-append-close.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "core/grow_array.h"
#include "engine/system/system.h"
#include "plat/headless.h"
#include "plat/platform.h"

namespace {

constexpr int kAppends = 100000;
constexpr const char* kLine = "Except code : game 1234,MSG: 3f2,16";

void BM_GrowArrayAppend(benchmark::State& state) {
  const int32_t step = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    GrowArray<int> a(step, 0);
    for (int i = 0; i < kAppends; ++i) a.append(i);
    benchmark::DoNotOptimize(a.data);
  }
  state.SetItemsProcessed(state.iterations() * kAppends);
}
// Step 0 doubles; step 5 shows the quadratic cost of fixed growth.
BENCHMARK(BM_GrowArrayAppend)->Arg(0)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_VectorPushBack(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<int> v;
    for (int i = 0; i < kAppends; ++i) v.push_back(i);
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * kAppends);
}
BENCHMARK(BM_VectorPushBack)->Unit(benchmark::kMicrosecond);

// One headless platform over a scratch game folder for the log benchmarks.
void ensureLogSetUp() {
  static bool done = false;
  if (done) return;
  done = true;
  const auto dir = std::filesystem::temp_directory_path() / "veldra-bench-engine";
  std::filesystem::create_directories(dir);
  plat::HeadlessOptions options;
  options.gameDir = dir.string();
  options.watchdog = false;
  plat::installHeadless(options);
  system_module_init();
}

void BM_SysLogLine(benchmark::State& state) {
  ensureLogSetUp();
  for (auto _ : state) sys_log(1, kLine);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SysLogLine);

// The anchor: the same file opened, appended to and closed with nothing around it.
void BM_BareAppendLine(benchmark::State& state) {
  ensureLogSetUp();
  plat::IFileSystem& files = plat::get().files();
  const size_t n = std::strlen(kLine);
  for (auto _ : state) {
    auto f = files.open("error.txt", "a");
    f->write(kLine, n);
    f->write("\n", 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareAppendLine);

}  // namespace

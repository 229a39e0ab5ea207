// A main() for benchmark programs that compare a measured routine with an anchor: runs the
// benchmarks as usual, then prints each pair's ratio of real times.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace bench_ratio {

struct Pair {
  std::string measured, anchor, label;
  bool anchorOverMeasured;  // true: the speed ratio (anchor time / measured time)
};

class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

// The anchor most graphics figures are held against: one memcpy of an 800 x 600 16-bit screen.
inline constexpr size_t kAnchorScreenBytes = 960000;
inline void memcpyScreen(benchmark::State& state) {
  std::vector<uint8_t> a(kAnchorScreenBytes, 1), b(kAnchorScreenBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kAnchorScreenBytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
// A measured benchmark's real time over the screen memcpy's, registered as anchor.
inline Pair overMemcpy(const std::string& measured, const std::string& target,
                       const std::string& anchor = "BM_AnchorMemcpyScreen") {
  return Pair{measured + "/real_time", anchor + "/real_time", "time over memcpy, " + target, false};
}

inline int run(int argc, char** argv, const std::vector<Pair>& pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const Pair& p : pairs) {
    auto m = reporter.times.find(p.measured), a = reporter.times.find(p.anchor);
    if (m == reporter.times.end() || a == reporter.times.end() || m->second <= 0 || a->second <= 0) continue;
    const double ratio = p.anchorOverMeasured ? a->second / m->second : m->second / a->second;
    std::printf("ratio %-44s %6.2f  (%s)\n", p.measured.c_str(), ratio, p.label.c_str());
  }
  return 0;
}

}  // namespace bench_ratio

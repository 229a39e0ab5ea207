// The HTTP downloader against curl: nginx on loopback serves a 1 GiB file, which our downloader
// fetches with 4 segments and the program's own waits, and `curl -s -o` fetches into the same
// folder. MB/s and CPU time per MiB of both; targets: at least 0.9 x curl's throughput, at most
// 2 x its CPU time per MiB.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_headless.h"
#include "bench/bench_ratio.h"
#include "plat/headless.h"
#include "tests/support/child_process.h"
#include "tests/support/nginx_fixture.h"
#include "updater/http_downloader.h"
#include "updater/module_path.h"

namespace {

constexpr size_t kFileBytes = size_t(1) << 30;
constexpr double kMiB = 1024.0 * 1024.0;

veldra_test::NginxFixture* g_nginx = nullptr;
std::string g_gameDir;
double g_oursCpuPerMiB = 0, g_curlCpuPerMiB = 0;

// The site's file, written once in 1 MiB blocks of varying bytes.
void prepare() {
  if (g_nginx) return;
  g_nginx = new veldra_test::NginxFixture();
  std::ofstream out(g_nginx->site() + "/big.bin", std::ios::binary);
  std::vector<char> block(1 << 20);
  for (size_t done = 0; done < kFileBytes; done += block.size()) {
    for (size_t i = 0; i < block.size(); i += 64) block[i] = static_cast<char>((done >> 20) + i);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  out.close();
  if (!g_nginx->start()) std::fprintf(stderr, "nginx: %s\n", g_nginx->error().c_str());
  plat::HeadlessOptions o = bench_headless::options("http");
  o.realClock = true;
  g_gameDir = o.gameDir;
  plat::installHeadless(o);
}

// CPU seconds of the waited-for children (curl), from /proc/self/stat (clock ticks of 1/100 s).
double childCpuSeconds() {
  std::ifstream in("/proc/self/stat");
  std::string text;
  std::getline(in, text);
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string f;
  double ticks = 0;
  for (int i = 3; fields >> f; ++i)
    if (i == 16 || i == 17) ticks += std::stod(f);
  return ticks / 100.0;
}

void BM_HttpDownload4Segments(benchmark::State& state) {
  prepare();
  const std::string url = g_nginx->url("/big.bin");
  double cpu = 0;
  for (auto _ : state) {
    updater::CHttpDownloader d;
    const std::clock_t c0 = std::clock();
    int rc = d.Start(url, updater::ModulePath("ours.bin"), nullptr, updater::HTTP_SEGMENT_COUNT);
    if (rc == 0) rc = d.Wait();
    d.Reset();
    cpu += double(std::clock() - c0) / CLOCKS_PER_SEC;
    if (rc != 0) state.SkipWithError("download failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
  g_oursCpuPerMiB = cpu * 1000.0 / (double(state.iterations()) * kFileBytes / kMiB);
  state.counters["cpu_ms_per_MiB"] = g_oursCpuPerMiB;
  std::filesystem::remove(g_gameDir + "/ours.bin");
}

void BM_CurlDownload(benchmark::State& state) {
  prepare();
  const std::string url = g_nginx->url("/big.bin");
  double cpu = 0;
  for (auto _ : state) {
    const double c0 = childCpuSeconds();
    const int pid = veldra_test::startProcess("/usr/bin/curl", {"-s", "-o", g_gameDir + "/curl.bin", url});
    const auto status = pid > 0 ? veldra_test::waitProcess(pid, 600000) : std::nullopt;
    cpu += childCpuSeconds() - c0;
    if (status != std::optional<int>(0)) state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
  g_curlCpuPerMiB = cpu * 1000.0 / (double(state.iterations()) * kFileBytes / kMiB);
  state.counters["cpu_ms_per_MiB"] = g_curlCpuPerMiB;
  std::filesystem::remove(g_gameDir + "/curl.bin");
}

BENCHMARK(BM_HttpDownload4Segments)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlDownload)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_ratio::run(argc, argv,
                                  {{"BM_HttpDownload4Segments/iterations:3/real_time",
                                    "BM_CurlDownload/iterations:3/real_time", "throughput over curl's, target >= 0.9",
                                    true}});
  if (g_oursCpuPerMiB > 0 && g_curlCpuPerMiB > 0)
    std::printf("ratio %-44s %6.2f  (CPU per MiB over curl's, target <= 2)\n", "BM_HttpDownload4Segments cpu",
                g_oursCpuPerMiB / g_curlCpuPerMiB);
  if (g_nginx) {
    g_nginx->stop();
    delete g_nginx;
  }
  std::error_code ec;
  if (!g_gameDir.empty()) std::filesystem::remove_all(g_gameDir, ec);
  return rc;
}

// The film decoder and the full-screen film's scaled blit, 800 x 600 in 565, beside a memcpy of
// one screen (960,000 bytes). The decoder decodes a 640 x 480 aviwrite film through
// IVideoDecoder::next on the headless platform (its clock waits cost nothing), beside a bare
// libavcodec decode plus libswscale conversion of the same file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "bench/bench_ratio.h"
#include "graphics/bitmap/blit_scaled.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "plat/video.h"
#include "platform/bench/video_bench.h"
#include "tools/aviwrite/aviwrite.h"

namespace {

constexpr int kFilmFrames = 30;

std::filesystem::path& dir() {
  static std::filesystem::path d = [] {
    auto p = std::filesystem::temp_directory_path() / "veldra-bench-video";
    std::filesystem::create_directories(p);
    aviwrite::writeFile((p / "film.avi").string(), {.width = 640, .height = 480, .fps = 25, .frames = kFilmFrames});
    plat::HeadlessOptions o;
    o.gameDir = p.string();
    o.watchdog = false;
    plat::installHeadless(o);
    return p;
  }();
  return d;
}

void BM_AnchorMemcpyScreen(benchmark::State& state) { bench_ratio::memcpyScreen(state); }
BENCHMARK(BM_AnchorMemcpyScreen)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_BlitScaled640To800(benchmark::State& state) {
  BITMAP16* src = bitmap16_create(640, 480);
  BITMAP16* dst = bitmap16_create(800, 600);
  for (uint32_t y = 0; y < 480; ++y)
    for (uint32_t x = 0; x < 640; ++x) src->rows[y][x] = static_cast<uint16_t>(x * 3 + y);
  for (auto _ : state) {
    gfx16_blit_scaled(0, 0, 800, 600, dst, 0, 0, 640, 480, src);
    benchmark::DoNotOptimize(dst->rows[599][799]);
    benchmark::ClobberMemory();
  }
  bitmap16_free(&src);
  bitmap16_free(&dst);
}
BENCHMARK(BM_BlitScaled640To800)->UseRealTime()->Unit(benchmark::kMicrosecond);

// One whole film per iteration; frames per second are the counter.
void BM_DecoderNext(benchmark::State& state) {
  dir();
  std::vector<uint16_t> surface(800 * 600);
  int64_t frames = 0;
  for (auto _ : state) {
    auto d = plat::makeLibavVideoDecoder();
    plat::VideoInfo info;
    if (d->open("film.avi", info) != plat::VideoOpen::Ok || d->start() != 0) {
      state.SkipWithError("film not decoded");
      return;
    }
    while (d->next(surface.data(), 1600, plat::PixelMasks{0xF800, 0x07E0, 0x001F}, {80, 60, 720, 540}) ==
           plat::VideoFrame::Ok)
      ++frames;
    d->close();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecoderNext)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_BareLibavDecode(benchmark::State& state) {
  const std::string path = (dir() / "film.avi").string();
  int64_t frames = 0;
  for (auto _ : state) {
    const int64_t n = plat::video_bench::bareDecodeTo565(path);
    if (n < 0) {
      state.SkipWithError("film not decoded");
      return;
    }
    frames += n;
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareLibavDecode)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_ratio::run(
      argc, argv,
      {bench_ratio::overMemcpy("BM_BlitScaled640To800", "target <= 6"),
       {"BM_DecoderNext/real_time", "BM_BareLibavDecode/real_time", "speed over a bare decode, target >= 0.8", true}});
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "veldra-bench-video", ec);
  return rc;
}

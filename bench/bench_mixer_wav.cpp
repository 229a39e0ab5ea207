// Loading a 1 MB effect from disk with wav_load_file (the header walk, one block, every "data"
// chunk) against a bare pak_fread of the same file into a buffer already there. Target: at most
// 1.5 x the anchor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/wav.h"
#include "bench/bench_mixer.h"
#include "core/pak/pak.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "plat/platform.h"

namespace {

constexpr uint32_t kDataBytes = 1u << 20;
constexpr const char* kName = "bench_effect_1mb.wav";

// A 16-bit stereo effect of 1 MB in the game folder (the headless one made here when the
// program has no platform yet); its size on disk.
size_t effectFile() {
  static const size_t size = [] {
    if (!plat::installed()) {
      const auto dir = std::filesystem::temp_directory_path() / "veldra-bench-mixer-wav";
      std::filesystem::create_directories(dir);
      plat::HeadlessOptions o;
      o.gameDir = dir.string();
      o.watchdog = false;
      plat::installHeadless(o);
      std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::temp_directory_path() / "veldra-bench-mixer-wav", ec);
      });
    }
    plat::ByteWriter w;
    w.bytes("RIFF", 4);
    w.u32(4 + 24 + 8 + kDataBytes);
    w.bytes("WAVE", 4);
    w.bytes("fmt ", 4);
    w.u32(16);
    w.u16(1);
    w.u16(2);
    w.u32(22050);
    w.u32(88200);
    w.u16(4);
    w.u16(16);
    w.bytes("data", 4);
    w.u32(kDataBytes);
    std::vector<uint8_t> file = w.take();
    for (uint32_t i = 0; i < kDataBytes; ++i) file.push_back(static_cast<uint8_t>(i * 31 + (i >> 9)));
    const std::filesystem::path path = std::filesystem::path(plat::get().files().gameDir()) / kName;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return file.size();
  }();
  return size;
}

void BM_WavLoadFile1MB(benchmark::State& state) {
  effectFile();
  for (auto _ : state) {
    WAV_SAMPLE* s = wav_load_file(kName);
    if (!s || s->data_size != kDataBytes) {
      state.SkipWithError("the effect did not load");
      break;
    }
    benchmark::DoNotOptimize(s->pcm()[kDataBytes - 1]);
    wav_free(&s);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kDataBytes);
}
BENCHMARK(BM_WavLoadFile1MB)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_AnchorPakFread1MB(benchmark::State& state) {
  const size_t size = effectFile();
  std::vector<uint8_t> out(size);
  for (auto _ : state) {
    PAK_FILE* f = pak_fopen(kName, "rb");
    const size_t n = f ? pak_fread(out.data(), 1, size, f) : 0;
    if (f) pak_fclose(f);
    if (n != size) {
      state.SkipWithError("short read");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kDataBytes);
}
BENCHMARK(BM_AnchorPakFread1MB)->UseRealTime()->Unit(benchmark::kMicrosecond);

const bench_mixer::AddPair kWavPair({"BM_WavLoadFile1MB/real_time", "BM_AnchorPakFread1MB/real_time",
                                     "wav_load_file over a bare pak_fread, target <= 1.5", false});

}  // namespace

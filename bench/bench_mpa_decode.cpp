// Whole-file MPEG audio decodes to memory through the decoder stream, in nanoseconds per output
// sample: layer I from mpawrite, layers II and III from files twolame and lame make in a
// temporary folder (rows without their encoder are skipped), and one refill of the MP3 back
// end's size (one second of 44.1 kHz stereo 16-bit PCM).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "audio/mpeg/mpeg_audio_stream.h"
#include "tests/support/child_process.h"
#include "tests/support/memory_stream.h"
#include "tools/mpawrite/mpawrite.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr double kSeconds = 300.0;

// The encoded files live in a temporary folder removed at exit.
struct TempDir {
  std::string path;
  TempDir() {
    const auto d = std::filesystem::temp_directory_path() / ("bench_mpa_decode." + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(d);
    path = d.string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

const std::string& tempDir() {
  static const TempDir dir;
  return dir.path;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A stereo 16-bit WAVE of tones and noise.
std::string sourceWave(int rate) {
  const std::string path = tempDir() + "/src" + std::to_string(rate) + ".wav";
  if (std::filesystem::exists(path)) return path;
  const int n = static_cast<int>(kSeconds * rate);
  Bytes b;
  auto u32 = [&b](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&b](uint16_t v) { b.push_back(static_cast<uint8_t>(v)); b.push_back(static_cast<uint8_t>(v >> 8)); };
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(36 + 4u * n);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16); u16(1); u16(2); u32(rate); u32(rate * 4); u16(4); u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(4u * n);
  uint32_t x = 1;
  for (int i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    const double t = static_cast<double>(i) / rate;
    const double v = 0.3 * std::sin(2 * M_PI * 440 * t) + 0.2 * std::sin(2 * M_PI * 3100 * t) + 0.05 * ((x >> 16) / 32768.0 - 1);
    const int16_t s = static_cast<int16_t>(v * 32767);
    u16(static_cast<uint16_t>(s));
    u16(static_cast<uint16_t>(s));
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return path;
}

Bytes encoded(const std::string& program, const std::vector<std::string>& args, int rate, const std::string& name) {
  if (!std::filesystem::exists(program)) return {};
  const std::string out = tempDir() + "/" + name;
  std::vector<std::string> a = args;
  a.push_back(sourceWave(rate));
  a.push_back(out);
  const int pid = veldra_test::startProcess(program, a);
  if (pid < 0) return {};
  const auto rc = veldra_test::waitProcess(pid, 600000);
  if (!rc) {
    veldra_test::stopProcess(pid);
    return {};
  }
  return *rc == 0 ? readFile(out) : Bytes{};
}

const Bytes& file(const std::string& kind) {
  static std::map<std::string, Bytes> files;
  auto it = files.find(kind);
  if (it != files.end()) return it->second;
  Bytes b;
  if (kind == "l1_384") {
    mpawrite::Layer1Params p;
    p.mode = 0;
    p.bitrateIndex = 12;  // 384 kbit/s
    p.allocation = 3;
    p.subbands = 20;
    static float s[2][12][32];
    const int frames = static_cast<int>(kSeconds * 44100 / 384);
    for (int f = 0; f < frames; ++f) {
      for (int t = 0; t < 12; ++t)
        for (int sb = 0; sb < 32; ++sb) s[0][t][sb] = s[1][t][sb] = static_cast<float>(0.2 * std::sin((f * 12 + t) * 0.3 + sb) / (1 + sb));
      p.padding = mpawrite::layer1_padding(p, f);
      const Bytes fr = mpawrite::layer1_frame(p, s);
      b.insert(b.end(), fr.begin(), fr.end());
    }
  } else if (kind == "l2_192_48k") {
    b = encoded("/usr/bin/twolame", {"--quiet", "-b", "192"}, 48000, "l2.mp2");
  } else if (kind == "l3_128") {
    b = encoded("/usr/bin/lame", {"-t", "--quiet", "-b", "128"}, 44100, "l3.mp3");
  } else if (kind == "l3_vbr") {
    b = encoded("/usr/bin/lame", {"-t", "--quiet", "-V", "2"}, 44100, "l3vbr.mp3");
  } else if (kind == "l3_22k") {
    b = encoded("/usr/bin/lame", {"-t", "--quiet", "-b", "64"}, 22050, "l3_22k.mp3");
  } else if (kind == "l3_8k") {
    b = encoded("/usr/bin/lame", {"-t", "--quiet", "-b", "16"}, 8000, "l3_8k.mp3");
  }
  return files.emplace(kind, std::move(b)).first->second;
}

void BM_DecodeFile(benchmark::State& state, const std::string& kind) {
  const Bytes& bytes = file(kind);
  if (bytes.empty()) {
    state.SkipWithError("encoder missing");
    return;
  }
  Bytes out(1 << 16);
  int64_t samples = 0;
  for (auto _ : state) {
    test_support::MemoryStream in(bytes, true);
    audio::CMpegAudioStream s;
    int rate = 0, stereo = 0;
    if (s.open(&in, &rate, &stereo, true, 0, 0) != 0) {
      state.SkipWithError("open failed");
      return;
    }
    int64_t n;
    while ((n = s.read(out.data(), static_cast<int64_t>(out.size()))) > 0) samples += n / 2;
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["ns_per_sample"] =
      benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One refill of the MP3 back end: one second of 44.1 kHz stereo 16-bit PCM.
void BM_Refill(benchmark::State& state) {
  const Bytes& bytes = file("l3_128");
  if (bytes.empty()) {
    state.SkipWithError("encoder missing");
    return;
  }
  test_support::MemoryStream in(bytes, true);
  audio::CMpegAudioStream s;
  int rate = 0, stereo = 0;
  s.open(&in, &rate, &stereo, true, 0, 0);
  Bytes out(44100 * 4);
  for (auto _ : state) {
    if (s.read(out.data(), static_cast<int64_t>(out.size())) < static_cast<int64_t>(out.size())) s.seek(0);
  }
}

BENCHMARK_CAPTURE(BM_DecodeFile, layer3_128k_44k, std::string("l3_128"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecodeFile, layer3_vbr_44k, std::string("l3_vbr"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecodeFile, layer2_192k_48k, std::string("l2_192_48k"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecodeFile, layer1_384k_44k, std::string("l1_384"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecodeFile, layer3_mpeg2_22k, std::string("l3_22k"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecodeFile, layer3_mpeg25_8k, std::string("l3_8k"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Refill)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// Part of bench_mixer: what the frame step asks of the music player in every frame, music_run
// and music_set_volume, while the device keeps pulling and the feeder keeps decoding. Target:
// under 1 us a frame, whatever the feeder is doing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>

#include "audio/music_player.h"
#include "audio/music_source.h"
#include "plat/audio.h"
#include "plat/headless.h"
#include "plat/music_graph.h"
#include "plat/platform.h"

namespace {

// An endless 16-bit stereo tone that costs about as much to make as decoding MPEG audio does
// (a few microseconds per millisecond of sound), plus a spin, so that the feeder is busy for a
// good part of every period.
class BusySource : public plat::PcmSource {
 public:
  plat::WaveFormat format() const override { return plat::WaveFormat{}; }
  int32_t read(uint8_t* dst, uint32_t bytes) override {
    const uint32_t frames = bytes / 4;
    for (uint32_t i = 0; i < frames; ++i) {
      const auto v = static_cast<int16_t>(8000.0 * std::sin(phase_));
      phase_ += 2.0 * 3.14159265358979 * 440.0 / 22050.0;
      std::memcpy(dst + 4 * i, &v, 2);
      std::memcpy(dst + 4 * i + 2, &v, 2);
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(300);
    while (std::chrono::steady_clock::now() < until) {
    }
    return static_cast<int32_t>(frames * 4);
  }
  bool rewind() override {
    phase_ = 0;
    return true;
  }

 private:
  double phase_ = 0;
};

void BM_MusicRunAndVolumePerFrame(benchmark::State& state) {
  plat::HeadlessOptions o;
  o.watchdog = false;
  plat::HeadlessPlatform& hp = plat::installHeadless(o);
  plat::setPcmSourceOpener([](std::string_view) { return std::make_unique<BusySource>(); });
  if (music_open_file("MUSIC\\bench.wav") != 0 || !hp.headlessAudio()) {
    state.SkipWithError("the music graph did not render");
    return;
  }
  music_run();
  // The device's side: a period every half millisecond, each waking the feeder at segment starts.
  std::atomic<bool> quit{false};
  std::atomic<uint64_t> periods{0};
  std::thread device([&] {
    while (!quit.load()) {
      hp.headlessAudio()->pullPeriod();
      periods.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });
  int32_t v = 0;
  for (auto _ : state) {
    music_run();
    benchmark::DoNotOptimize(music_set_volume(v));
    v = (v + 1) % 101;
  }
  quit.store(true);
  device.join();
  state.counters["periods"] = static_cast<double>(periods.load());
  music_graph_release();
  plat::setPcmSourceOpener(music_source_open);
  plat::install(nullptr);
}
BENCHMARK(BM_MusicRunAndVolumePerFrame)->UseRealTime();

}  // namespace

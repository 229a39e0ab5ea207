// The sound mixer's costs. Parts measuring other sound code live in bench_mixer_*.cpp.
//
// One 10 ms period of output (221 frames at 22,050 Hz) with nine voices playing: seven effects
// at mixed rates and formats, the WAV music channel and the music graph's streaming voice, all
// with volume and pan. Anchor: a plain saturating sum of nine 16-bit stereo streams already at
// the output rate, of the same length. Target: at most 3 x the anchor, and under 50 us.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench/bench_mixer.h"
#include "plat/audio.h"
#include "platform/common/mixer.h"

namespace {

constexpr uint32_t kPeriodFrames = 221;
constexpr int kVoices = 9;

plat::WaveFormat pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  plat::WaveFormat f;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

struct Voices {
  std::shared_ptr<plat::common::Mixer> mixer = plat::common::makeMixer();
  std::vector<std::unique_ptr<plat::ISoundBuffer>> buffers;
};

Voices& nineVoices() {
  static Voices v = [] {
    Voices out;
    const plat::WaveFormat formats[kVoices] = {
        pcm(1, 22050, 16), pcm(1, 11025, 8), pcm(2, 44100, 16), pcm(2, 22050, 8), pcm(1, 11025, 16),
        pcm(1, 8000, 8),   pcm(2, 48000, 16),
        pcm(2, 22050, 16),  // the WAV music channel
        pcm(2, 44100, 16),  // the music graph's voice
    };
    for (int i = 0; i < kVoices; ++i) {
      const plat::WaveFormat& f = formats[i];
      const uint32_t bytes = f.avgBytesPerSec;  // one second each, looping
      std::unique_ptr<plat::ISoundBuffer> b;
      out.mixer->createBuffer(f, bytes, plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN, b);
      plat::LockRegion r;
      b->lock(0, bytes, r, 0);
      for (uint32_t k = 0; k < r.firstBytes; ++k) r.first[k] = static_cast<uint8_t>(k * 37 + i * 11);
      b->unlock(r);
      b->setVolume(-300 * i);
      b->setPan(-4000 + 1000 * i);
      b->play(true);
      out.buffers.push_back(std::move(b));
    }
    return out;
  }();
  return v;
}

void BM_MixNineVoices(benchmark::State& state) {
  Voices& v = nineVoices();
  std::vector<int16_t> out(2 * kPeriodFrames);
  for (auto _ : state) {
    v.mixer->mix(out.data(), kPeriodFrames);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MixNineVoices)->UseRealTime();

void BM_AnchorSaturatingSum(benchmark::State& state) {
  std::vector<std::vector<int16_t>> streams(kVoices, std::vector<int16_t>(2 * kPeriodFrames));
  for (int i = 0; i < kVoices; ++i)
    for (uint32_t k = 0; k < 2 * kPeriodFrames; ++k) streams[i][k] = static_cast<int16_t>(k * 977 + i * 3001);
  std::vector<int16_t> out(2 * kPeriodFrames);
  for (auto _ : state) {
    for (uint32_t k = 0; k < 2 * kPeriodFrames; ++k) {
      int32_t acc = 0;
      for (int i = 0; i < kVoices; ++i) acc += streams[i][k];
      out[k] = static_cast<int16_t>(std::clamp(acc, -32768, 32767));
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_AnchorSaturatingSum)->UseRealTime();

const bench_mixer::AddPair kMixPair({"BM_MixNineVoices/real_time", "BM_AnchorSaturatingSum/real_time",
                                     "time over a plain saturating sum, target <= 3; under 50 us", false});

}  // namespace

int main(int argc, char** argv) { return bench_ratio::run(argc, argv, bench_mixer::pairs()); }

// A sample of what the mixer makes, for the ear as much as for the checks: three effects of
// different formats with volume and pan, a looping tick under them, and a tune streamed in two
// halves by a feeding thread on the buffer's notifications. With VELDRA_TEST_DUMP=<folder> the
// output is left there as sound_mix.wav.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "plat/audio.h"
#include "plat/event.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "tests/support/temp_game_dir.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

plat::WaveFormat pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  plat::WaveFormat f;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

// A tone of the format's own kind, with 10 ms fades so that nothing clicks.
std::vector<uint8_t> tone(const plat::WaveFormat& f, double hz, double seconds, double amplitude) {
  const uint32_t frames = static_cast<uint32_t>(f.samplesPerSec * seconds);
  const double fade = f.samplesPerSec * 0.01;
  std::vector<uint8_t> out;
  for (uint32_t i = 0; i < frames; ++i) {
    const double env = std::min({1.0, i / fade, (frames - i) / fade});
    const double v = amplitude * env * std::sin(2 * kPi * hz * i / f.samplesPerSec);
    for (int c = 0; c < f.channels; ++c) {
      if (f.bitsPerSample == 8) {
        out.push_back(static_cast<uint8_t>(std::lround(128 + v * 127)));
      } else {
        const int16_t s = static_cast<int16_t>(std::lround(v * 32767));
        out.push_back(static_cast<uint8_t>(s & 0xFF));
        out.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
      }
    }
  }
  return out;
}

std::unique_ptr<plat::ISoundBuffer> effect(plat::IAudioDevice& dev, const plat::WaveFormat& f,
                                           const std::vector<uint8_t>& data, int32_t volume, int32_t pan) {
  std::unique_ptr<plat::ISoundBuffer> b;
  EXPECT_EQ(dev.createBuffer(f, static_cast<uint32_t>(data.size()),
                             plat::DSBCAPS_STATIC | plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN, b),
            plat::DS_OK);
  plat::LockRegion r;
  EXPECT_EQ(b->lock(0, static_cast<uint32_t>(data.size()), r, 0), plat::DS_OK);
  std::memcpy(r.first, data.data(), r.firstBytes);
  EXPECT_EQ(b->unlock(r), plat::DS_OK);
  EXPECT_EQ(b->setVolume(volume), plat::DS_OK);
  EXPECT_EQ(b->setPan(pan), plat::DS_OK);
  return b;
}

// Energy of each side over [from, to) seconds of a stereo recording.
std::pair<double, double> energy(const std::vector<int16_t>& rec, double from, double to) {
  double l = 0, r = 0;
  const size_t a = static_cast<size_t>(from * plat::kMixRate), b = static_cast<size_t>(to * plat::kMixRate);
  for (size_t i = a; i < b && 2 * i + 1 < rec.size(); ++i) {
    l += static_cast<double>(rec[2 * i]) * rec[2 * i];
    r += static_cast<double>(rec[2 * i + 1]) * rec[2 * i + 1];
  }
  return {l / (b - a), r / (b - a)};
}

TEST(Mixer, SampleMix) {
  veldra_test::TempGameDir dir;
  plat::HeadlessOptions o;
  o.gameDir = dir.path();
  o.watchdog = false;
  plat::HeadlessPlatform& hp = plat::installHeadless(o);
  plat::HeadlessAudio& dev = *hp.headlessAudio();
  ASSERT_EQ(dev.open(plat::WaveFormat{}), plat::DS_OK);
  dev.startRecording();

  // The tune: a four-bar arpeggio in 16-bit stereo, streamed through a buffer of two 0.25 s
  // halves, as the music player's feeder does.
  const plat::WaveFormat tuneFormat = pcm(2, 22050, 16);
  std::vector<uint8_t> tune;
  for (double hz : {261.63, 329.63, 392.0, 523.25, 392.0, 329.63, 261.63, 196.0, 220.0, 261.63, 329.63, 440.0})
    for (const uint8_t byte : tone(tuneFormat, hz, 0.25, 0.25)) tune.push_back(byte);
  constexpr uint32_t kHalf = 5512 * 4;
  std::unique_ptr<plat::ISoundBuffer> stream;
  ASSERT_EQ(dev.createBuffer(tuneFormat, 2 * kHalf,
                             plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPOSITIONNOTIFY | plat::DSBCAPS_GLOBALFOCUS,
                             stream),
            plat::DS_OK);
  ASSERT_EQ(stream->setVolume(-600), plat::DS_OK);
  plat::Event first, second, quit;
  const plat::Notification notes[] = {{0, &first}, {kHalf, &second}};
  ASSERT_EQ(stream->setNotifications(notes), plat::DS_OK);
  size_t fed = 0;
  auto feed = [&](uint32_t offset) {
    plat::LockRegion r;
    if (stream->lock(offset, kHalf, r, 0) != plat::DS_OK) return;
    for (uint32_t i = 0; i < r.firstBytes; ++i) r.first[i] = tune[(fed + i) % tune.size()];
    fed += r.firstBytes;
    stream->unlock(r);
  };
  feed(0);
  std::thread feeder([&] {
    plat::Event* events[] = {&first, &second, &quit};
    for (int which; (which = plat::waitAny(events)) == 0 || which == 1;) feed(which == 0 ? kHalf : 0);
  });
  ASSERT_EQ(stream->play(true), plat::DS_OK);

  // A tick every quarter second under everything.
  std::vector<uint8_t> tick = tone(pcm(1, 22050, 16), 1000, 0.03, 0.5);
  tick.resize(5512 * 2, 0);
  auto ticker = effect(dev, pcm(1, 22050, 16), tick, -1500, 0);
  ASSERT_EQ(ticker->play(true), plat::DS_OK);

  // Three effects: 16-bit mono to the left, 8-bit mono at 11,025 Hz to the right, 16-bit
  // stereo at 44,100 Hz in the middle, quieter.
  auto left = effect(dev, pcm(1, 22050, 16), tone(pcm(1, 22050, 16), 440, 0.6, 0.6), 0, -6000);
  auto right = effect(dev, pcm(1, 11025, 8), tone(pcm(1, 11025, 8), 660, 0.6, 0.6), -300, 6000);
  auto middle = effect(dev, pcm(2, 44100, 16), tone(pcm(2, 44100, 16), 880, 0.4, 0.6), -1200, 0);
  plat::FakeClock& clock = hp.fakeClock();
  clock.advance(200);
  left->play(false);
  clock.advance(800);
  EXPECT_EQ(left->status(), 0u);  // a static effect stops at its end
  right->play(false);
  clock.advance(800);
  middle->play(false);
  clock.advance(1200);
  quit.set();
  feeder.join();

  const std::vector<int16_t> rec = dev.recording();
  ASSERT_EQ(rec.size(), 3u * 22050 * 2);
  const auto [l1, r1] = energy(rec, 0.3, 0.7);
  const auto [l2, r2] = energy(rec, 1.1, 1.5);
  const auto [l3, r3] = energy(rec, 1.85, 2.15);
  const auto [l4, r4] = energy(rec, 2.5, 3.0);
  EXPECT_GT(l1, 5 * r1);  // the left effect
  EXPECT_GT(r2, 5 * l2);  // the right one
  EXPECT_NEAR(l3 / r3, 1.0, 0.05);
  EXPECT_GT(l3, 2 * l4);  // the middle one over the tune and the tick
  EXPECT_GT(l4, 1e5);     // the tune and the tick go on
  EXPECT_NEAR(l4 / r4, 1.0, 0.05);
  EXPECT_GE(fed, static_cast<size_t>(kHalf) * 12);  // the feeder kept up: twelve halves in 3 s

  const std::string dump = plat::environment().testDump;
  if (!dump.empty()) {
    const std::string path = dump + "/sound_mix.wav";
    EXPECT_TRUE(plat::writeMixWave(path, rec));
    EXPECT_EQ(std::filesystem::file_size(path), 44u + rec.size() * 2);
  }
  stream.reset();
  plat::installHeadless();
}

}  // namespace

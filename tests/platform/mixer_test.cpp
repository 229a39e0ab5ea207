// The software mixer on its own: buffers, gains, pan, resampling, saturation, cursors and
// notifications, with no device behind it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "plat/audio.h"
#include "plat/event.h"
#include "platform/common/mixer.h"

namespace {

using plat::common::Mixer;

constexpr uint32_t kAllControls =
    plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN | plat::DSBCAPS_CTRLPOSITIONNOTIFY;

plat::WaveFormat pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  plat::WaveFormat f;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

// 16-bit samples as little-endian bytes.
std::vector<uint8_t> bytes16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> b(samples.size() * 2);
  std::memcpy(b.data(), samples.data(), b.size());
  return b;
}

void fill(plat::ISoundBuffer& b, const std::vector<uint8_t>& data) {
  plat::LockRegion r;
  ASSERT_EQ(b.lock(0, static_cast<uint32_t>(data.size()), r, 0), plat::DS_OK);
  ASSERT_EQ(r.secondBytes, 0u);
  std::memcpy(r.first, data.data(), r.firstBytes);
  ASSERT_EQ(b.unlock(r), plat::DS_OK);
}

// A buffer of `frames` 16-bit stereo frames all holding (left, right).
std::unique_ptr<plat::ISoundBuffer> constant(Mixer& m, uint32_t frames, int16_t left, int16_t right,
                                             uint32_t caps = kAllControls) {
  std::unique_ptr<plat::ISoundBuffer> b;
  EXPECT_EQ(m.createBuffer(pcm(2, 22050, 16), frames * 4, caps, b), plat::DS_OK);
  std::vector<int16_t> s;
  for (uint32_t i = 0; i < frames; ++i) {
    s.push_back(left);
    s.push_back(right);
  }
  fill(*b, bytes16(s));
  return b;
}

std::vector<int16_t> mix(Mixer& m, uint32_t frames) {
  std::vector<int16_t> out(frames * 2, 12345);
  m.mix(out.data(), frames);
  return out;
}

TEST(Mixer, GainOfVolume) {
  struct Case {
    int32_t mB;
    double gain;
  };
  for (const Case& c : {Case{0, 1.0}, Case{-2000, 0.1}, Case{-10000, 0.0}, Case{-600, 0.501187}}) {
    EXPECT_NEAR(plat::common::attenuationGain(c.mB), c.gain, 1e-6) << c.mB;
    auto m = plat::common::makeMixer();
    auto b = constant(*m, 1000, 20000, -20000);
    ASSERT_EQ(b->setVolume(c.mB), plat::DS_OK);
    ASSERT_EQ(b->play(true), plat::DS_OK);
    const std::vector<int16_t> out = mix(*m, 100);
    EXPECT_NEAR(out[50], 20000 * c.gain, 2) << c.mB;
    EXPECT_NEAR(out[51], -20000 * c.gain, 2) << c.mB;
  }
}

TEST(Mixer, PanLowersOnlyTheOppositeSide) {
  struct Case {
    int32_t pan;
    double left, right;
  };
  const double lowered = 20000 * std::pow(10.0, -3000 / 2000.0);
  for (const Case& c : {Case{0, 20000, 20000}, Case{-3000, 20000, lowered}, Case{3000, lowered, 20000},
                        Case{-10000, 20000, 0}, Case{10000, 0, 20000}}) {
    auto m = plat::common::makeMixer();
    auto b = constant(*m, 1000, 20000, 20000);
    ASSERT_EQ(b->setPan(c.pan), plat::DS_OK);
    ASSERT_EQ(b->play(true), plat::DS_OK);
    const std::vector<int16_t> out = mix(*m, 10);
    EXPECT_NEAR(out[0], c.left, 2) << c.pan;
    EXPECT_NEAR(out[1], c.right, 2) << c.pan;
  }
}

TEST(Mixer, OutOfRangeVolumeAndPanChangeNothing) {
  auto m = plat::common::makeMixer();
  auto b = constant(*m, 1000, 20000, 20000);
  ASSERT_EQ(b->setVolume(-2000), plat::DS_OK);
  ASSERT_EQ(b->setPan(-3000), plat::DS_OK);
  for (int32_t v : {-10001, 1, 500, -20000}) EXPECT_EQ(b->setVolume(v), plat::DSERR_INVALIDPARAM) << v;
  for (int32_t p : {-10001, 10001, 15000}) EXPECT_EQ(b->setPan(p), plat::DSERR_INVALIDPARAM) << p;
  int32_t volume = 0, pan = 0;
  EXPECT_EQ(b->getVolume(&volume), plat::DS_OK);
  EXPECT_EQ(b->getPan(&pan), plat::DS_OK);
  EXPECT_EQ(volume, -2000);
  EXPECT_EQ(pan, -3000);
  ASSERT_EQ(b->play(true), plat::DS_OK);
  const std::vector<int16_t> out = mix(*m, 10);
  EXPECT_NEAR(out[0], 2000, 2);
  EXPECT_NEAR(out[1], 2000 * std::pow(10.0, -1.5), 2);

  // A control the caps lack is unavailable.
  auto bare = constant(*m, 10, 1, 1, plat::DSBCAPS_STATIC);
  EXPECT_EQ(bare->setVolume(0), plat::DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(bare->setPan(0), plat::DSERR_CONTROLUNAVAIL);
  plat::Event e;
  const plat::Notification n{0, &e};
  EXPECT_EQ(bare->setNotifications({&n, 1}), plat::DSERR_CONTROLUNAVAIL);
}

TEST(Mixer, SumSaturatesInsteadOfWrapping) {
  auto m = plat::common::makeMixer();
  std::vector<std::unique_ptr<plat::ISoundBuffer>> voices;
  for (int i = 0; i < 3; ++i) voices.push_back(constant(*m, 100, 32767, -32768));
  voices.push_back(constant(*m, 100, 20000, -20000));
  for (auto& v : voices) ASSERT_EQ(v->play(true), plat::DS_OK);
  const std::vector<int16_t> out = mix(*m, 50);
  for (size_t i = 0; i < out.size(); i += 2) {
    ASSERT_EQ(out[i], 32767) << i;
    ASSERT_EQ(out[i + 1], -32768) << i;
  }
  // Opposite voices cancel before the clamp.
  auto low = constant(*m, 100, -32768, 32767);
  ASSERT_EQ(low->play(true), plat::DS_OK);
  for (auto& v : voices) v->stop();
  voices[0]->play(true);
  const std::vector<int16_t> sum = mix(*m, 4);
  EXPECT_EQ(sum[0], -1);
  EXPECT_EQ(sum[1], -1);
}

TEST(Mixer, ResamplesEveryFormatLinearly) {
  // Each source is a ramp; at 11,025 Hz every other output frame lies halfway between two
  // source frames, at 44,100 Hz every other source frame is skipped.
  struct Case {
    plat::WaveFormat format;
    std::vector<uint8_t> data;
    std::vector<int16_t> left, right;  // the first output frames
  };
  const std::vector<Case> cases = {
      {pcm(1, 11025, 8), {128, 138, 148, 158}, {0, 1280, 2560, 3840, 5120, 6400}, {0, 1280, 2560, 3840, 5120, 6400}},
      {pcm(2, 11025, 8), {128, 118, 138, 108, 148, 98}, {0, 1280, 2560, 3840}, {-2560, -3840, -5120, -6400}},
      {pcm(1, 22050, 16), bytes16({100, 200, 300}), {100, 200, 300}, {100, 200, 300}},
      {pcm(2, 44100, 16), bytes16({10, -10, 20, -20, 30, -30, 40, -40, 50, -50}), {10, 30, 50}, {-10, -30, -50}},
      {pcm(1, 11025, 16), bytes16({0, 1000, -1000}), {0, 500, 1000, 0, -1000}, {0, 500, 1000, 0, -1000}},
  };
  for (size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    auto m = plat::common::makeMixer();
    std::unique_ptr<plat::ISoundBuffer> b;
    ASSERT_EQ(m->createBuffer(c.format, static_cast<uint32_t>(c.data.size()), kAllControls, b), plat::DS_OK);
    fill(*b, c.data);
    ASSERT_EQ(b->play(false), plat::DS_OK);
    const std::vector<int16_t> out = mix(*m, static_cast<uint32_t>(c.left.size()));
    for (size_t i = 0; i < c.left.size(); ++i) {
      EXPECT_NEAR(out[2 * i], c.left[i], 1) << "case " << k << " frame " << i;
      EXPECT_NEAR(out[2 * i + 1], c.right[i], 1) << "case " << k << " frame " << i;
    }
  }
}

TEST(Mixer, StaticStopsAtItsEndAndLoopingWraps) {
  auto m = plat::common::makeMixer();
  auto once = constant(*m, 100, 1000, 1000);
  ASSERT_EQ(once->play(false), plat::DS_OK);
  EXPECT_EQ(once->status(), plat::DSBSTATUS_PLAYING);
  std::vector<int16_t> out = mix(*m, 150);
  EXPECT_EQ(out[2 * 99], 1000);
  EXPECT_EQ(out[2 * 100], 0);
  EXPECT_EQ(out[2 * 149], 0);
  EXPECT_EQ(once->status(), 0u);
  uint32_t play = 1, write = 0;
  ASSERT_EQ(once->getCurrentPosition(&play, &write), plat::DS_OK);
  EXPECT_EQ(play, 0u);
  // Played again, it starts from the beginning.
  ASSERT_EQ(once->play(false), plat::DS_OK);
  EXPECT_EQ(mix(*m, 1)[0], 1000);
  once->stop();

  // A looping ramp of 10 frames: output frame i is sample i mod 10.
  std::unique_ptr<plat::ISoundBuffer> ramp;
  ASSERT_EQ(m->createBuffer(pcm(1, 22050, 16), 20, kAllControls, ramp), plat::DS_OK);
  fill(*ramp, bytes16({0, 100, 200, 300, 400, 500, 600, 700, 800, 900}));
  ASSERT_EQ(ramp->play(true), plat::DS_OK);
  EXPECT_EQ(ramp->status(), plat::DSBSTATUS_PLAYING | plat::DSBSTATUS_LOOPING);
  out = mix(*m, 1000);  // four chunks of the mix, with wraps inside and across them
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(out[2 * i], static_cast<int16_t>((i % 10) * 100)) << i;
  ASSERT_EQ(ramp->getCurrentPosition(&play, &write), plat::DS_OK);
  EXPECT_EQ(play, 0u);
  EXPECT_EQ(write, 2u * 1u);  // 221 frames ahead, modulo 10
}

TEST(Mixer, LockRegions) {
  auto m = plat::common::makeMixer();
  std::unique_ptr<plat::ISoundBuffer> b;
  ASSERT_EQ(m->createBuffer(pcm(1, 22050, 8), 100, kAllControls, b), plat::DS_OK);

  // A range across the end comes in two pieces, the second at offset 0.
  plat::LockRegion r;
  ASSERT_EQ(b->lock(80, 40, r, 0), plat::DS_OK);
  EXPECT_EQ(r.firstBytes, 20u);
  EXPECT_EQ(r.secondBytes, 20u);
  ASSERT_NE(r.second, nullptr);
  EXPECT_EQ(r.first[0], 0x80);  // a new 8-bit buffer holds silence
  plat::LockRegion again;
  EXPECT_EQ(b->lock(0, 10, again, 0), plat::DSERR_INVALIDCALL);
  std::memset(r.first, 1, r.firstBytes);
  std::memset(r.second, 2, r.secondBytes);
  ASSERT_EQ(b->unlock(r), plat::DS_OK);
  EXPECT_EQ(b->unlock(r), plat::DSERR_INVALIDCALL);

  ASSERT_EQ(b->lock(0, 0, r, plat::DSBLOCK_ENTIREBUFFER), plat::DS_OK);
  ASSERT_EQ(r.firstBytes, 100u);
  EXPECT_EQ(r.secondBytes, 0u);
  std::vector<uint8_t> want(100, 0x80);
  std::fill(want.begin(), want.begin() + 20, 2);
  std::fill(want.begin() + 80, want.end(), 1);
  EXPECT_EQ(std::vector<uint8_t>(r.first, r.first + 100), want);
  // Only what the record says was written is copied in.
  std::memset(r.first, 9, 100);
  r.firstBytes = 5;
  ASSERT_EQ(b->unlock(r), plat::DS_OK);
  ASSERT_EQ(b->lock(0, 10, r, 0), plat::DS_OK);
  EXPECT_EQ(r.first[4], 9);
  EXPECT_EQ(r.first[5], 2);
  ASSERT_EQ(b->unlock(r), plat::DS_OK);

  for (auto [offset, bytes] : {std::pair<uint32_t, uint32_t>{0, 0}, {0, 101}, {100, 1}, {200, 10}})
    EXPECT_EQ(b->lock(offset, bytes, r, 0), plat::DSERR_INVALIDPARAM) << offset << "+" << bytes;
  EXPECT_EQ(r.first, nullptr);
}

TEST(Mixer, Notifications) {
  auto m = plat::common::makeMixer();
  std::unique_ptr<plat::ISoundBuffer> b;
  // 2,000 frames of 16-bit mono: notifications at the start, the middle and at stop.
  ASSERT_EQ(m->createBuffer(pcm(1, 22050, 16), 4000, kAllControls, b), plat::DS_OK);
  plat::Event start, middle, stopped;
  const plat::Notification list[] = {{0, &start}, {2000, &middle}, {plat::DSBPN_OFFSETSTOP, &stopped}};
  ASSERT_EQ(b->setNotifications(list), plat::DS_OK);

  // Playing from the offset fires at once, before anything is mixed.
  ASSERT_EQ(b->play(true), plat::DS_OK);
  EXPECT_TRUE(start.isSet());
  start.reset();
  EXPECT_EQ(b->play(true), plat::DS_OK);  // already playing: no second start
  EXPECT_FALSE(start.isSet());

  mix(*m, 999);
  EXPECT_FALSE(middle.isSet());
  mix(*m, 1);  // the cursor reaches frame 1000
  EXPECT_TRUE(middle.isSet());
  middle.reset();
  mix(*m, 999);
  EXPECT_FALSE(start.isSet());
  mix(*m, 1);  // wraps onto 0
  EXPECT_TRUE(start.isSet());
  EXPECT_FALSE(middle.isSet());
  EXPECT_FALSE(stopped.isSet());
  EXPECT_EQ(b->stop(), plat::DS_OK);
  EXPECT_TRUE(stopped.isSet());

  // A static buffer reaching its end fires what it passed and the stop ones.
  start.reset();
  stopped.reset();
  ASSERT_EQ(b->setCurrentPosition(1500 * 2), plat::DS_OK);
  ASSERT_EQ(b->play(false), plat::DS_OK);
  EXPECT_FALSE(start.isSet());
  mix(*m, 600);
  EXPECT_TRUE(stopped.isSet());
  EXPECT_FALSE(start.isSet());  // it stopped at the end, not on 0
  EXPECT_FALSE(middle.isSet());

  // Bad lists change nothing.
  const plat::Notification past[] = {{4000, &start}};
  EXPECT_EQ(b->setNotifications(past), plat::DSERR_INVALIDPARAM);
  const plat::Notification none[] = {{0, nullptr}};
  EXPECT_EQ(b->setNotifications(none), plat::DSERR_INVALIDPARAM);
  EXPECT_EQ(b->play(false), plat::DS_OK);
  EXPECT_TRUE(start.isSet());
}

TEST(Mixer, RefusedFormatsAndSizes) {
  auto m = plat::common::makeMixer();
  std::unique_ptr<plat::ISoundBuffer> b;
  plat::WaveFormat tag = pcm(2, 22050, 16);
  tag.formatTag = 3;
  plat::WaveFormat align = pcm(2, 22050, 16);
  align.blockAlign = 2;
  struct Case {
    plat::WaveFormat format;
    uint32_t bytes;
    int32_t result;
  };
  const Case cases[] = {
      {pcm(2, 22050, 16), 0, plat::DSERR_INVALIDPARAM},
      {pcm(2, 22050, 16), 3, plat::DSERR_INVALIDPARAM},
      {pcm(2, 22050, 24), 600, plat::DSERR_BADFORMAT},
      {pcm(3, 22050, 16), 600, plat::DSERR_BADFORMAT},
      {pcm(0, 22050, 16), 600, plat::DSERR_BADFORMAT},
      {pcm(1, 0, 8), 600, plat::DSERR_BADFORMAT},
      {tag, 600, plat::DSERR_BADFORMAT},
      {align, 600, plat::DSERR_BADFORMAT},
      {pcm(1, 8000, 8), 1, plat::DS_OK},
      {pcm(2, 48000, 16), 6, plat::DS_OK},  // a partial last block is kept, never played
  };
  for (const Case& c : cases) {
    EXPECT_EQ(m->createBuffer(c.format, c.bytes, kAllControls, b), c.result)
        << c.format.channels << "ch " << c.format.bitsPerSample << "bit " << c.bytes;
    EXPECT_EQ(b != nullptr, c.result == plat::DS_OK);
  }
}

TEST(Mixer, LossRestoreAndLockFaults) {
  auto m = plat::common::makeMixer();
  auto b = constant(*m, 100, 5000, 5000);
  ASSERT_EQ(b->play(true), plat::DS_OK);
  b->injectFaults({.lose = true, .failRestores = 2});
  EXPECT_EQ(b->status(), plat::DSBSTATUS_BUFFERLOST);
  EXPECT_EQ(mix(*m, 10)[0], 0);
  plat::LockRegion r;
  EXPECT_EQ(b->lock(0, 4, r, 0), plat::DSERR_BUFFERLOST);
  EXPECT_EQ(b->play(true), plat::DSERR_BUFFERLOST);
  EXPECT_EQ(b->restore(), plat::DSERR_BUFFERLOST);
  EXPECT_EQ(b->restore(), plat::DSERR_BUFFERLOST);
  EXPECT_EQ(b->restore(), plat::DS_OK);
  EXPECT_EQ(b->status(), 0u);
  // The data was zeroed: it plays silence until refilled.
  ASSERT_EQ(b->play(true), plat::DS_OK);
  EXPECT_EQ(mix(*m, 10)[0], 0);

  b->injectFaults({.failLocks = 1, .lockError = plat::DSERR_INVALIDCALL});
  EXPECT_EQ(b->lock(0, 4, r, 0), plat::DSERR_INVALIDCALL);
  ASSERT_EQ(b->lock(0, 400, r, 0), plat::DS_OK);
  std::vector<int16_t> s(200, 7000);
  std::memcpy(r.first, s.data(), 400);
  ASSERT_EQ(b->unlock(r), plat::DS_OK);
  EXPECT_EQ(mix(*m, 10)[0], 7000);

  // Every buffer at once, as a device reset would.
  auto other = constant(*m, 100, 5000, 5000);
  m->loseAll();
  EXPECT_EQ(b->status(), plat::DSBSTATUS_BUFFERLOST);
  EXPECT_EQ(other->status(), plat::DSBSTATUS_BUFFERLOST);
}

TEST(Mixer, ReleasingAPlayingBufferTakesItOutOfTheMix) {
  auto m = plat::common::makeMixer();
  auto a = constant(*m, 100, 3000, 3000);
  auto b = constant(*m, 100, 4000, 4000);
  a->play(true);
  b->play(true);
  EXPECT_EQ(mix(*m, 4)[0], 7000);
  b.reset();
  EXPECT_EQ(m->bufferCount(), 1u);
  EXPECT_EQ(mix(*m, 4)[0], 3000);
  // A buffer keeps its mixer: the last owner may be either.
  std::weak_ptr<Mixer> weak = m;
  m.reset();
  EXPECT_FALSE(weak.expired());
  a.reset();
  EXPECT_TRUE(weak.expired());
}

}  // namespace

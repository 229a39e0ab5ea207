// The SOUND module on the headless device: what comes out of the mixer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/sound.h"
#include "audio/sound/music_backend.h"
#include "audio/sound/music_mp3.h"
#include "audio/sound/sound_channel.h"
#include "tests/audio/wav_builder.h"
#include "tests/engine/pak_fixture.h"
#include "tests/support/fake_pcm_chain.h"

namespace {

using Samples = std::vector<int16_t>;

class SoundMix : public pak_test::PakTest {
 protected:
  void SetUp() override {
    PakTest::SetUp();
    ASSERT_NE(hp().headlessAudio(), nullptr);
  }
  plat::HeadlessAudio& dev() { return *hp().headlessAudio(); }
  // Mixes ms of output and returns the left channel of it.
  Samples play(uint32_t ms) {
    dev().clearRecording();
    dev().startRecording();
    hp().fakeClock().advance(ms);
    const std::vector<int16_t> rec = dev().recording();
    dev().stopRecording();
    Samples left;
    for (size_t i = 0; i + 1 < rec.size(); i += 2) left.push_back(rec[i]);
    return left;
  }
  static int crossings(const Samples& s) {
    int n = 0;
    for (size_t i = 1; i < s.size(); ++i) n += (s[i - 1] < 0) != (s[i] < 0);
    return n;
  }
  static int peak(const Samples& s, size_t from = 0, size_t to = SIZE_MAX) {
    int p = 0;
    for (size_t i = from; i < s.size() && i < to; ++i) p = std::max(p, std::abs(static_cast<int>(s[i])));
    return p;
  }
};

// A tone as an 8-bit mono file at 11,025 Hz (unsigned samples around 128).
std::vector<uint8_t> tone8(uint32_t rate, double hz, double seconds) {
  std::vector<uint8_t> data(static_cast<size_t>(rate * seconds));
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<uint8_t>(128 + std::lround(100 * std::sin(2 * M_PI * hz * (i + 0.5) / rate)));
  return wav_test::riffWave({{"fmt ", wav_test::fmtPayload(1, rate, rate, 1, 8)}, {"data", data}});
}

using WavWalkerMix = SoundMix;

TEST_F(WavWalkerMix, An8BitMonoToneComesOutAtItsPitch) {
  ASSERT_EQ(sound_module_init(), 0);
  writeFile("EFC/tone.wav", tone8(11025, 1000, 1.0));
  sound_play_voice_file(0, 0, "EFC\\tone.wav");
  const Samples out = play(500);
  ASSERT_GE(out.size(), 11000u);
  // 1 kHz crosses zero 2,000 times a second: about 1,000 in half a second.
  EXPECT_NEAR(crossings(out), 1000, 12);
  EXPECT_GT(peak(out), 5000) << "unsigned 8-bit data read as signed would be a square wave";
}

using SoundChannelsMix = SoundMix;

TEST_F(SoundChannelsMix, AStaticEffectStopsAtItsEndAndALoopWraps) {
  ASSERT_EQ(sound_module_init(), 0);
  writeFile("EFC/short.wav", tone8(11025, 500, 0.2));
  sound_play_voice_file(1, 0, "EFC\\short.wav");
  sound_play_voice_file(2, 1, "EFC\\short.wav");
  sound_set_voice_pan(1, -10000);  // channel 1 left only
  sound_set_voice_pan(2, 10000);   // channel 2 right only
  dev().clearRecording();
  dev().startRecording();
  hp().fakeClock().advance(600);
  const std::vector<int16_t> rec = dev().recording();
  Samples left, right;
  for (size_t i = 0; i + 1 < rec.size(); i += 2) {
    left.push_back(rec[i]);
    right.push_back(rec[i + 1]);
  }
  const size_t end = 22050 * 2 / 10;  // 0.2 s
  EXPECT_GT(peak(left, 0, end - 200), 3000);
  EXPECT_EQ(peak(left, end + 500), 0) << "the static effect went on after its end";
  EXPECT_FALSE(sound_voice_is_playing(1));
  EXPECT_GT(peak(right, end + 500, 3 * end), 3000) << "the loop did not wrap";
  EXPECT_TRUE(sound_voice_is_playing(2));
}

TEST_F(SoundChannelsMix, LoadingIntoAPlayingChannelReplacesItCleanly) {
  ASSERT_EQ(sound_module_init(), 0);
  writeFile("EFC/a.wav", tone8(11025, 500, 1.0));
  writeFile("EFC/b.wav", tone8(22050, 2000, 1.0));
  sound_play_voice_file(3, 1, "EFC\\a.wav");
  play(50);
  sound_play_voice_file(3, 1, "EFC\\b.wav");  // the old buffer goes while it sounds
  const Samples out = play(500);
  EXPECT_NEAR(crossings(out), 2000, 24);
}

TEST_F(SoundMix, NotifyRestoresLostChannelsAndTheirDataComesBack) {
  ASSERT_EQ(sound_module_init(), 0);
  writeFile("EFC/loop.wav", tone8(11025, 1000, 0.5));
  sound_play_voice_file(0, 1, "EFC\\loop.wav");
  ASSERT_GT(peak(play(100)), 3000);
  dev().loseAllBuffers();
  sound_module_notify(0);
  EXPECT_EQ(peak(play(100)), 0) << "a lost buffer is silent";
  sound_module_notify(1);
  sound_channel_play(0, 1);
  EXPECT_GT(peak(play(200)), 3000);
}

using SoundMp3BackendMix = SoundMix;

TEST_F(SoundMp3BackendMix, TheSecondHalfFollowsTheFirstWithoutAGap) {
  veldra_test::FakePcmChain chain({.bytes = 4 * MUSIC_STREAM_HALF, .channels = 2, .rate = 44100, .bits = 16, .hz = 441});
  music_backend_select(1);
  ASSERT_EQ(sound_module_init(), 0);
  music_backend.play(1, 1);
  ASSERT_TRUE(music_backend.is_playing());
  const Samples out = play(3000);
  ASSERT_GE(out.size(), 3u * 22050 - 10);
  // No run of silence anywhere, in particular not at the 1 s and 2 s boundaries.
  size_t run = 0, longest = 0;
  for (size_t i = 0; i < 3 * 22050 - 300; ++i) {
    run = out[i] == 0 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_LE(longest, 2u);
  EXPECT_NEAR(crossings(Samples(out.begin(), out.begin() + 3 * 22050)), 2646, 30);  // 441 Hz for 3 s
  music_backend.stop();
  EXPECT_FALSE(music_backend.is_playing());
}

}  // namespace

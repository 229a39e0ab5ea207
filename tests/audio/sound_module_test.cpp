// The SOUND module over the recording fake device: the hooks and their lines, the ready rule,
// the volume and pan rules, the channel primitives and the WAV music back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/sound.h"
#include "audio/sound/music_backend.h"
#include "audio/sound/sound_channel.h"
#include "audio/sound/sound_state.h"
#include "engine/engine_main/modules.h"
#include "plat/crt.h"
#include "tests/audio/sound_test_fixture.h"

namespace {

using sound_test::ramp_wave;

const std::vector<std::string> kSoundBlock = {
    "SOUND module initialize starting...", "       Sound Play : DirectSound", "      Wave format : PCM Wave",
    "         Channels : 2", "  Samples per sec : 22050", "  Bits per sample : 16", "SOUND module initialized OKay.",
    ""};

class SoundModule : public sound_test::FakeDeviceTest {};

// Every voice call on one channel.
void every_voice_call(int32_t channel, const std::vector<uint8_t>& image) {
  sound_play_voice_file(channel, 0, "EFC\\a.wav");
  sound_play_voice_buffer(channel, 1, image.data(), static_cast<uint32_t>(image.size()));
  sound_play_voice_any(channel, channel, 0, "EFC\\a.wav");
  sound_set_voice_volume(channel, -100);
  sound_set_voice_pan(channel, 100);
  sound_stop_voice(channel);
  EXPECT_EQ(sound_voice_is_playing(channel), 0);
}

TEST_F(SoundModule, Lifecycle) {
  putWave("EFC/a.wav", ramp_wave(400));
  const auto image = ramp_wave(200);

  // Before init nothing happens.
  clearLog();
  every_voice_call(0, image);
  EXPECT_TRUE(device.made.empty());

  // With a device: the SOUND block, the primary format, a stored free hook.
  const int freesBefore = sys_module_free_count();
  ASSERT_EQ(sys_install_module(sound_module_init, sound_module_free, sound_module_notify), 0);
  EXPECT_EQ(logLines(), kSoundBlock);
  EXPECT_EQ(sys_module_free_count(), freesBefore + 1);
  EXPECT_EQ(device.primary.channels, 2);
  EXPECT_EQ(device.primary.samplesPerSec, 22050u);
  EXPECT_EQ(device.primary.avgBytesPerSec, 88200u);
  EXPECT_EQ(device.primary.blockAlign, 4);
  EXPECT_EQ(device.primary.bitsPerSample, 16);

  // Channels -1 and 7 are ignored by every voice call; 0..6 play.
  clearLog();
  every_voice_call(-1, image);
  every_voice_call(7, image);
  EXPECT_TRUE(device.made.empty());
  EXPECT_TRUE(logLines().empty());
  sound_play_voice_file(6, 1, "EFC\\a.wav");
  EXPECT_EQ(sound_voice_is_playing(6), 1);
  ASSERT_EQ(device.made.size(), 1u);

  // Notify 0 does nothing; notify 1 restores and refills a lost channel.
  sound_play_voice_buffer(2, 0, image.data(), static_cast<uint32_t>(image.size()));
  veldra_test::FakeSoundBuffer* two = device.log.live.back();
  const std::vector<uint8_t> filled = two->data();
  device.loseAllBuffers();
  sound_module_notify(0);
  EXPECT_EQ(two->restoreCalls, 0);
  EXPECT_NE(two->data(), filled);
  sound_module_notify(1);
  EXPECT_EQ(two->restoreCalls, 1);
  EXPECT_EQ(two->data(), filled);
  EXPECT_EQ(sound_state().channels[6].buffer->status() & plat::DSBSTATUS_BUFFERLOST, 0u);

  // Free: the line, every buffer released, and the calls inert again.
  clearLog();
  sound_module_free();
  EXPECT_EQ(logLines(), std::vector<std::string>{"SOUND module free OKay."});
  EXPECT_EQ(device.log.buffersLive, 0);
  EXPECT_FALSE(device.isOpen());
  const size_t made = device.made.size();
  every_voice_call(0, image);
  EXPECT_EQ(device.made.size(), made);
}

TEST_F(SoundModule, WithoutADeviceTheInstallIsRefusedAndEverythingStaysSilent) {
  device.openResult = plat::DSERR_NODRIVER;
  clearLog();
  const int freesBefore = sys_module_free_count();
  EXPECT_EQ(sys_install_module(sound_module_init, sound_module_free, sound_module_notify), -1);
  EXPECT_EQ(logLines(), (std::vector<std::string>{"SOUND module initialize starting...", "       Sound Play : DirectSound"}));
  EXPECT_EQ(sys_module_free_count(), freesBefore);
  putWave("EFC/a.wav", ramp_wave(400));
  every_voice_call(0, ramp_wave(100));
  EXPECT_TRUE(device.made.empty());
  EXPECT_EQ(sound_pick_channel(0, 6), 0);
  EXPECT_EQ(logLines().size(), 2u);
}

// ---- volume and pan -------------------------------------------------------------------------

class SoundVolumePan : public sound_test::FakeDeviceTest {
 protected:
  void SetUp() override {
    FakeDeviceTest::SetUp();
    ASSERT_EQ(sound_module_init(), 0);
    putWave("EFC/a.wav", ramp_wave(400));
  }
  // The last value given to a call of buffer n.
  std::string last(int n, const std::string& call) {
    std::string v;
    for (const std::string& l : callsOf(n))
      if (l.rfind(call + " ", 0) == 0) v = l.substr(call.size() + 1);
    return v;
  }
};

TEST_F(SoundVolumePan, CombineKeepsTheTruncation) {
  EXPECT_EQ(sound_volume_combine(-3000, 0), -3000);
  EXPECT_EQ(sound_volume_combine(-5000, -5000), -7500);
  EXPECT_EQ(sound_volume_combine(0, 0), 0);
  EXPECT_EQ(sound_volume_combine(-10000, 0), -10000);
  EXPECT_EQ(sound_volume_combine(-9997, 0), -9998);  // 2.9999... truncates to 2
  int lower = 0;
  for (int v = -10000; v <= 0; ++v) lower += sound_volume_combine(v, 0) == v - 1;
  EXPECT_EQ(lower, 573);
}

TEST_F(SoundVolumePan, CallsToAppliedValues) {
  sound_play_voice_file(3, 0, "EFC\\a.wav");
  struct Case {
    int32_t asked;
    const char* applied;
  } volumes[] = {{0, "0"}, {-10000, "-10000"}, {-12000, "-10000"}, {500, "0"}, {-3000, "-3000"}};
  for (const Case& c : volumes) {
    sound_set_voice_volume(3, c.asked);
    EXPECT_EQ(last(1, "setVolume"), c.applied) << c.asked;
    EXPECT_EQ(sound_state().channels[3].requested_volume, c.asked);
  }
  Case pans[] = {{0, "0"}, {15000, "10000"}, {-20000, "-10000"}, {-2500, "-2500"}};
  for (const Case& c : pans) {
    sound_set_voice_pan(3, c.asked);
    EXPECT_EQ(last(1, "setPan"), c.applied) << c.asked;
    EXPECT_EQ(sound_state().channels[3].requested_pan, c.asked);
  }
  // The asked 15000 is remembered, so flag 64 applies 10000 again.
  sound_set_voice_pan(3, 15000);
  device.log.clear();
  sound_apply_settings(64);
  EXPECT_EQ(callsOf(1), std::vector<std::string>{"setPan 10000"});

  // Remembered without a buffer too.
  sound_set_voice_volume(5, -1234);
  EXPECT_EQ(sound_state().channels[5].requested_volume, -1234);
}

TEST_F(SoundVolumePan, SettingsApplyInFlagOrder) {
  putWave("MUSIC/MUS001.WAV", ramp_wave(400));
  music_wav_play(1, 1);            // buffer 1, channel 7
  sound_play_voice_file(0, 0, "EFC\\a.wav");  // buffer 2
  music_wav_set_volume(-200);
  music_wav_set_pan(300);
  sound_set_voice_volume(0, -400);
  sound_set_voice_pan(0, 500);
  device.log.clear();
  sound_apply_settings(4 | 8 | 32 | 64);
  EXPECT_EQ(device.log.lines(),
            (std::vector<std::string>{"1 setVolume -200", "1 setPan 300", "2 setVolume -400", "2 setPan 500"}));
  device.log.clear();
  sound_apply_settings(1 | 2 | 16 | 128);
  EXPECT_TRUE(device.log.lines().empty());
}

// ---- channels -------------------------------------------------------------------------------

class SoundChannels : public sound_test::FakeDeviceTest {
 protected:
  void SetUp() override {
    FakeDeviceTest::SetUp();
    ASSERT_EQ(sound_module_init(), 0);
    putWave("EFC/a.wav", ramp_wave(400));
    clearLog();
  }
};

TEST_F(SoundChannels, BuffersTakeTheSamplesOwnFormatAndSize) {
  const auto mono8 = wav_test::riffWave(
      {{"fmt ", wav_test::fmtPayload(1, 11025, 11025, 1, 8)}, {"data", std::vector<uint8_t>(2205, 0x80)}});
  ASSERT_EQ(sound_channel_load_image(1, mono8.data(), static_cast<uint32_t>(mono8.size())), 0);
  ASSERT_EQ(device.made.size(), 1u);
  EXPECT_EQ(device.made[0].caps, 0xC2u);
  EXPECT_EQ(device.made[0].bytes, 2205u);
  EXPECT_EQ(device.made[0].format.channels, 1);
  EXPECT_EQ(device.made[0].format.bitsPerSample, 8);
  EXPECT_EQ(device.made[0].format.samplesPerSec, 11025u);
  EXPECT_EQ(sound_state().channels[1].duration_ms, 200u);
  EXPECT_EQ(sound_state().channels[1].data_size, 2205u);

  // A buffer the device refuses (no data) leaves the sample in the channel.
  const auto empty = wav_test::riffWave({{"fmt ", wav_test::fmtPayload(2, 22050, 0, 4, 16)}});
  EXPECT_LT(sound_channel_load_image(1, empty.data(), static_cast<uint32_t>(empty.size())), 0);
  EXPECT_NE(sound_state().channels[1].sample, nullptr);
  EXPECT_EQ(sound_state().channels[1].buffer, nullptr);
  sound_play_voice_buffer(1, 0, empty.data(), static_cast<uint32_t>(empty.size()));
  EXPECT_EQ(logLines().back(), "load wave buffer [1](size = " + std::to_string(empty.size()) + ") error");

  // Loading into a playing channel releases the old buffer first.
  sound_play_voice_file(2, 1, "EFC\\a.wav");
  ASSERT_EQ(sound_voice_is_playing(2), 1);
  const int live = device.log.buffersLive;
  sound_play_voice_file(2, 0, "EFC\\a.wav");
  EXPECT_EQ(device.log.buffersLive, live);
  EXPECT_EQ(sound_voice_is_playing(2), 1);

  // A missing file: the load line, the channel emptied.
  sound_play_voice_file(2, 0, "EFC\\none.wav");
  EXPECT_EQ(logLines().back(), "load voice [2]EFC\\none.wav error");
  EXPECT_EQ(sound_state().channels[2].buffer, nullptr);
}

TEST_F(SoundChannels, PickTakesAFreeChannelElseARandomOne) {
  for (int c = 2; c <= 4; ++c) sound_play_voice_file(c, 1, "EFC\\a.wav");
  for (uint32_t seed : {1u, 7u, 12345u, 99u}) {
    plat::crt_srand(seed);
    const int expected = 2 + plat::crt_rand() % 3;
    plat::crt_srand(seed);
    EXPECT_EQ(sound_pick_channel(2, 4), expected) << seed;
  }
  EXPECT_EQ(sound_pick_channel(3, 3), 3);
  EXPECT_EQ(sound_pick_channel(4, 2), 4);
  sound_stop_voice(3);
  EXPECT_EQ(sound_pick_channel(2, 4), 3);
  sound_play_voice_file(5, 0, "EFC\\a.wav");
  sound_stop_voice(5);
  EXPECT_EQ(sound_pick_channel(0, 6), 3) << "channels without a buffer are not free ones";
  sound_play_voice_any(2, 4, 0, "EFC\\a.wav");
  EXPECT_EQ(sound_voice_is_playing(3), 1);
}

TEST_F(SoundChannels, WavMusicLoadsANumberOnce) {
  putWave("MUSIC/MUS005.WAV", ramp_wave(800));
  music_wav_play(5, 1);
  music_wav_play(5, 1);
  EXPECT_EQ(device.made.size(), 1u);
  EXPECT_TRUE(music_wav_is_playing());
  music_wav_stop();
  EXPECT_FALSE(music_wav_is_playing());
  EXPECT_EQ(sound_state().current_music, -1);
  music_wav_play(5, 1);
  EXPECT_EQ(device.made.size(), 2u);
  EXPECT_TRUE(logLines().empty());
  music_wav_play(6, 0);
  EXPECT_EQ(logLines().back(), "load music [7]MUSIC\\MUS006.WAV error");
}

TEST_F(SoundChannels, ARestoreThatKeepsFailingEndsAfter100Attempts) {
  sound_play_voice_file(0, 0, "EFC\\a.wav");
  veldra_test::FakeSoundBuffer* b = device.log.live.back();
  b->injectFaults({true, 1000, 0, plat::DSERR_BUFFERLOST});
  clearLog();
  EXPECT_EQ(sound_channel_play(0, 0), plat::DSERR_BUFFERLOST);
  EXPECT_EQ(b->restoreCalls, 100);
  // Through the voice call: the play line.
  sound_stop_voice(0);
  b->injectFaults({true, 2, 0, plat::DSERR_BUFFERLOST});
  EXPECT_EQ(sound_channel_play(0, 1), plat::DS_OK);
  EXPECT_EQ(b->restoreCalls, 103);
  EXPECT_EQ(sound_voice_is_playing(0), 1);
}

TEST_F(SoundChannels, MusicBackendTableSelection) {
  EXPECT_EQ(music_backend.play, music_wav_play);
  EXPECT_EQ(music_backend_select(1), 1);
  EXPECT_NE(music_backend.play, music_wav_play);
  EXPECT_EQ(music_backend_select(7), 7);
  EXPECT_NE(music_backend.play, music_wav_play);
  EXPECT_EQ(music_backend_select(0), 0);
  EXPECT_EQ(music_backend.init, music_wav_init);
  EXPECT_EQ(music_backend.is_playing, music_wav_is_playing);
}

}  // namespace

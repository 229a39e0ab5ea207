// The sound front over the recorded voice calls and the music stand-in: channel reuse,
// durations, volumes, and the music calls under the switches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/settings/settings.h"
#include "client/sound/music_state.h"
#include "client/sound/sound_front.h"
#include "core/pak/pak.h"
#include "plat/crt.h"
#include "tests/audio/wav_builder.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/recording_sound_module.h"
#include "tests/support/recording_music.h"

namespace {

class SoundFrontTest : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    settings.effects = 1;
    settings.music = 1;
    settings.volume = 100;
  }
  uint32_t now() { return hp().clock().ms(); }
  // The voice calls that reached the SOUND module.
  std::vector<SEAM_CALL> voice(const char* op) { return seam_calls_named(op); }
  veldra_test::RecordingSoundModule recording;
  veldra_test::RecordingMusicPlayer music;
};

using SoundFront = SoundFrontTest;
using MusicFront = SoundFrontTest;

// ---- channels ---------------------------------------------------------------------------------

struct ChannelCase {
  const char* what;
  // Per channel: busy, loop, end time relative to now (ms; <= 0 finished).
  struct {
    uint32_t busy, loop;
    int32_t end;
  } before[EFFECT_CHANNELS];
  int expected;  // -1: rand() % 6 with the seed 12345
  int free_after;  // a channel that must be free afterwards, or -1
};

TEST_F(SoundFront, Channels) {
  const ChannelCase cases[] = {
      {"six sounding, none looping: the lowest non-looping is cut off",
       {{1, 0, 500}, {1, 0, 500}, {1, 0, 500}, {1, 0, 500}, {1, 0, 500}, {1, 0, 500}}, 0, -1},
      {"2 and 4 finished: the highest released takes it, 2 stays free",
       {{1, 0, 500}, {1, 0, 500}, {1, 0, 0}, {1, 0, 500}, {1, 0, -10}, {1, 0, 500}}, 4, 2},
      {"5 finished wins over lower ones", {{1, 0, -1}, {1, 0, 500}, {1, 0, 500}, {1, 0, 500}, {1, 0, 500}, {1, 0, 0}}, 5,
       0},
      {"a free channel is taken first", {{1, 0, 500}, {1, 0, 500}, {1, 0, 500}, {0, 0, 0}, {1, 0, 500}, {0, 0, 0}}, 3, 5},
      {"loops keep their channels", {{1, 1, 500}, {1, 1, 500}, {1, 0, 500}, {1, 1, 500}, {1, 0, 500}, {1, 1, 500}}, 2, -1},
      {"finished loops are not released", {{1, 1, -5}, {1, 1, -5}, {1, 1, -5}, {1, 1, -5}, {1, 0, 500}, {1, 1, -5}}, 4,
       -1},
      {"all six looping: a random channel", {{1, 1, 500}, {1, 1, 500}, {1, 1, 500}, {1, 1, 500}, {1, 1, 500}, {1, 1, 500}},
       -1, -1},
  };
  for (const ChannelCase& c : cases) {
    SCOPED_TRACE(c.what);
    sound_front_reset();
    seam_calls_clear();
    for (int i = 0; i < EFFECT_CHANNELS; ++i) {
      effect_channels[i].busy = c.before[i].busy;
      effect_channels[i].loop = c.before[i].loop;
      effect_channels[i].end_time = now() + static_cast<uint32_t>(c.before[i].end);
    }
    int expected = c.expected;
    if (expected < 0) {
      plat::crt_srand(12345);
      expected = plat::crt_rand() % 6;
      plat::crt_srand(12345);
    }
    int32_t channel = -7;
    ASSERT_EQ(play_sound_effect(0, "EFC\\button01.wav", nullptr, 0, 0, 0, 0, &channel), 0);
    EXPECT_EQ(channel, expected);
    EXPECT_EQ(effect_channels[channel].busy, 1u);
    if (c.free_after >= 0) {
      EXPECT_EQ(effect_channels[c.free_after].busy, 0u);
    }
    const auto play = voice("sound_play_voice_file");
    ASSERT_EQ(play.size(), 1u);
    EXPECT_EQ(play[0].a, channel);
    EXPECT_EQ(play[0].text, "EFC\\button01.wav");
  }

  // After "2 and 4 finished", the next sound takes the channel left free.
  sound_front_reset();
  for (int i = 0; i < EFFECT_CHANNELS; ++i) effect_channels[i] = {1, 0, now() + 500};
  effect_channels[2].end_time = now();
  effect_channels[4].end_time = now();
  int32_t first = -1, second = -1;
  play_sound_effect(0, "a.wav", nullptr, 0, 0, 0, 0, &first);
  play_sound_effect(0, "b.wav", nullptr, 0, 0, 0, 0, &second);
  EXPECT_EQ(first, 4);
  EXPECT_EQ(second, 2);
}

TEST_F(SoundFront, RefusalsLeaveEverythingUntouched) {
  const uint8_t image[4] = {1, 2, 3, 4};
  struct Case {
    const char* what;
    int32_t effects, kind;
    const uint8_t* image;
    int32_t size;
  } cases[] = {
      {"sound off", 0, 0, nullptr, 0}, {"kind 7", 1, 7, image, 4},         {"kind -1", 1, -1, image, 4},
      {"kind 1 without image", 1, 1, nullptr, 4}, {"kind 1 size 0", 1, 1, image, 0}, {"kind 1 size -3", 1, 1, image, -3},
      {"kind 0 without name", 1, 0, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings.effects = c.effects;
    int32_t channel = 77;
    EXPECT_EQ(play_sound_effect(c.kind, c.kind == 0 && c.effects == 0 ? "a.wav" : nullptr, c.image, c.size, 0, 0, 0,
                                &channel),
              -2);
    EXPECT_EQ(channel, 77);
    EXPECT_TRUE(seam_calls().empty());
    for (const EFFECT_CHANNEL& ch : effect_channels) EXPECT_EQ(ch.busy, 0u);
  }
}

TEST_F(SoundFront, DurationsSetTheEndTime) {
  // Kind 1: from the image's format (88200 bytes a second) and data size.
  const std::vector<uint8_t> half_second = wav_test::pcmWave(44100);
  int32_t channel = -1;
  const uint32_t t0 = now();
  ASSERT_EQ(play_sound_effect(1, nullptr, half_second.data(), static_cast<int32_t>(half_second.size()), 0, 0, 0, &channel),
            0);
  EXPECT_EQ(effect_channels[channel].end_time, t0 + 500);
  const auto play = voice("sound_play_voice_buffer");
  ASSERT_EQ(play.size(), 1u);
  EXPECT_EQ(play[0].c, static_cast<int64_t>(half_second.size()));

  // A format with 0 average bytes a second divides by 1.
  const std::vector<uint8_t> zero_rate = wav_test::pcmWave(3, 0);
  ASSERT_EQ(play_sound_effect(1, nullptr, zero_rate.data(), static_cast<int32_t>(zero_rate.size()), 0, 0, 0, &channel), 0);
  EXPECT_EQ(effect_channels[channel].end_time, t0 + 3000);

  // An image the walker refuses still plays (the SOUND module reports it) with no duration.
  const uint8_t junk[6] = {'R', 'I', 'F', 'F', 9, 9};
  ASSERT_EQ(play_sound_effect(1, nullptr, junk, 6, 1, 0, 0, &channel), 0);
  EXPECT_EQ(effect_channels[channel].end_time, t0);
  EXPECT_EQ(effect_channels[channel].loop, 1u);

  // Kind 0: from the file; a missing file still marks the channel.
  dir.write("EFC/one.wav", [] {
    const auto v = wav_test::pcmWave(88200);
    return std::string(v.begin(), v.end());
  }());
  ASSERT_EQ(play_sound_effect(0, "EFC\\one.wav", nullptr, 0, 0, 0, 0, &channel), 0);
  EXPECT_EQ(effect_channels[channel].end_time, t0 + 1000);
  ASSERT_EQ(play_sound_effect(0, "EFC\\missing.wav", nullptr, 0, 0, 0, 0, &channel), 0);
  EXPECT_EQ(effect_channels[channel].end_time, t0);
  EXPECT_EQ(effect_channels[channel].busy, 1u);
}

TEST_F(SoundFront, Volume) {
  struct Case {
    int32_t volume, percentage, expected;
  } cases[] = {{0, 100, 0},          {0, 50, -1500},         {0, 0, -3000},        {-1000, 50, -2000},
               {-3001, 50, -3000},   {-3003, 50, -3001},     {-10000, 100, -10000}, {500, 100, 500},
               {INT32_MIN, 100, INT32_MIN}, {INT32_MAX, 100, INT32_MAX}};
  for (const Case& c : cases) {
    EXPECT_EQ(sound_effect_volume(c.volume, c.percentage), c.expected) << c.volume << " at " << c.percentage << "%";
  }
  // Through the front: volume and pan reach the channel after the play.
  settings.volume = 50;
  int32_t channel = -1;
  ASSERT_EQ(play_sound_effect(0, "x.wav", nullptr, 0, 0, -1000, 1234, &channel), 0);
  ASSERT_EQ(seam_call_names(),
            (std::vector<std::string>{"sound_play_voice_file", "sound_set_voice_volume", "sound_set_voice_pan"}));
  EXPECT_EQ(seam_calls()[1].b, -2000);
  EXPECT_EQ(seam_calls()[2].b, 1234);
}

TEST_F(SoundFront, StopAllClearsAndStopsEveryChannel) {
  for (int i = 0; i < EFFECT_CHANNELS; ++i) effect_channels[i] = {1, 1, 999};
  sound_stop_all();
  for (const EFFECT_CHANNEL& ch : effect_channels) {
    EXPECT_EQ(ch.busy, 0u);
    EXPECT_EQ(ch.loop, 0u);
    EXPECT_EQ(ch.end_time, 0u);
  }
  ASSERT_EQ(seam_calls().size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(seam_calls()[i].name, "sound_stop_voice");
    EXPECT_EQ(seam_calls()[i].a, i);
  }
}

// ---- music ------------------------------------------------------------------------------------

TEST_F(MusicFront, PlayOrderAndTheTwoVolumeFormulas) {
  settings.volume = 50;
  music_event_flag = 1;
  ASSERT_EQ(game_music_play("MUSIC\\map01.mp3", 1, 100), 0);
  ASSERT_EQ(music.ops(), (std::vector<std::string>{"music_open_file", "music_run", "music_set_volume"}));
  EXPECT_EQ(music.calls[0].name, "MUSIC\\map01.mp3");
  EXPECT_EQ(music.calls[2].value, 25);  // the percentage twice
  EXPECT_EQ(music_event_flag, 0);
  EXPECT_EQ(music_playing, 1u);
  EXPECT_EQ(music_loop_flag, 1u);
  EXPECT_STREQ(music_current_name, "MUSIC\\map01.mp3");

  music.clear();
  EXPECT_EQ(game_music_set_volume(100), 0);
  ASSERT_EQ(music.ops(), (std::vector<std::string>{"music_set_volume"}));
  EXPECT_EQ(music.calls[0].value, 50);  // once
}

TEST_F(MusicFront, TheSameTuneInOtherCaseChangesNothing) {
  ASSERT_EQ(game_music_play("MUSIC\\Map01.MP3", 1, 100), 0);
  music.clear();
  music_event_flag = 1;
  EXPECT_EQ(game_music_play("music\\MAP01.mp3", 0, 10), 0);
  EXPECT_TRUE(music.calls.empty());
  EXPECT_EQ(music_event_flag, 1);
  EXPECT_EQ(music_loop_flag, 1u);
  EXPECT_STREQ(music_current_name, "MUSIC\\Map01.MP3");

  // Another tune starts; after a stop the same tune starts again.
  EXPECT_EQ(game_music_play("MUSIC\\map02.mp3", 1, 100), 0);
  EXPECT_EQ(music.ops().front(), "music_open_file");
  music.clear();
  EXPECT_EQ(game_music_stop(), 0);
  EXPECT_EQ(music_playing, 0u);
  EXPECT_EQ(game_music_play("MUSIC\\map02.mp3", 1, 100), 0);
  EXPECT_EQ(music.ops(), (std::vector<std::string>{"music_stop", "music_open_file", "music_run", "music_set_volume"}));
}

TEST_F(MusicFront, MusicOffStoresTheNameOnly) {
  settings.music = 0;
  EXPECT_EQ(game_music_play("MUSIC\\menu01.MP3", 1, 100), -2);
  EXPECT_STREQ(music_current_name, "MUSIC\\menu01.MP3");
  EXPECT_EQ(music_playing, 0u);
  EXPECT_EQ(game_music_set_volume(80), 0);
  EXPECT_TRUE(music.calls.empty());
}

TEST_F(MusicFront, LongNamesAreCutOnACharacterBoundary) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "\xD6\xD0";
  ASSERT_EQ(game_music_play(name.c_str(), 1, 100), 0);
  EXPECT_EQ(std::string(music_current_name), name.substr(0, 510));
  // The same long name again is the tune that plays.
  music.clear();
  EXPECT_EQ(game_music_play(name.c_str(), 1, 100), 0);
  EXPECT_TRUE(music.calls.empty());
  std::string odd = "a" + name;
  settings.music = 0;
  game_music_play(odd.c_str(), 1, 100);
  EXPECT_EQ(std::string(music_current_name).size(), 511u);
}

}  // namespace

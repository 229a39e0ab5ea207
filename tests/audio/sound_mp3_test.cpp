// The MP3 stream back end over the fake decoder chain and the recording fake device: the
// notifications are fired by hand, so each refill is seen on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/decode/audio_decoder.h"
#include "audio/sound/music_backend.h"
#include "audio/sound/music_mp3.h"
#include "core/log/fatal_handover.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/modules.h"
#include "engine/system/system.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "tests/audio/mpa_tune.h"
#include "tests/audio/sound_test_fixture.h"
#include "tests/support/fake_pcm_chain.h"
#include "tests/support/forwarding_platform.h"

namespace {

using Bytes = std::vector<uint8_t>;
using veldra_test::FakePcmChain;
using veldra_test::FakeSoundBuffer;

constexpr uint32_t kHalf = MUSIC_STREAM_HALF;

class SoundMp3Backend : public sound_test::FakeDeviceTest {
 protected:
  void SetUp() override {
    FakeDeviceTest::SetUp();
    // Slot 0 runs only at init: the back end is chosen before it.
    music_backend_select(1);
    ASSERT_EQ(sound_module_init(), 0);
    clearLog();
  }
  FakeSoundBuffer* stream() { return static_cast<FakeSoundBuffer*>(music_mp3_buffer()); }
  Bytes half(int h) {
    const Bytes d = stream()->data();
    return Bytes(d.begin() + h * kHalf, d.begin() + (h + 1) * kHalf);
  }
  // Sets the event of notification i and waits until the stream thread has answered it.
  void fire(int i) {
    const size_t before = device.log.lines().size();
    const auto marks = stream()->notifications();
    ASSERT_EQ(marks.size(), 2u);
    marks[static_cast<size_t>(i)].event->set();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      const auto lines = device.log.lines();
      if (lines.size() > before) {
        const std::string& last = lines.back();
        if (last.ends_with(" unlock") || last.ends_with(" setCurrentPosition 0")) return;
      }
      ASSERT_LT(std::chrono::steady_clock::now(), until) << "the stream thread did not answer";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  static Bytes slice(const Bytes& v, size_t from, size_t n) {
    Bytes out(n, 0);
    for (size_t i = 0; i < n && from + i < v.size(); ++i) out[i] = v[from + i];
    return out;
  }
  static bool silent(const Bytes& v) {
    for (uint8_t b : v)
      if (b) return false;
    return true;
  }
};

TEST_F(SoundMp3Backend, HalvesFollowEachOtherWithoutAGap) {
  FakePcmChain chain({.bytes = 3 * kHalf});
  music_backend.play(7, 1);
  ASSERT_NE(stream(), nullptr);
  ASSERT_EQ(device.made.size(), 1u);
  EXPECT_EQ(device.made[0].caps, 0x101C0u);
  EXPECT_EQ(device.made[0].bytes, 352800u);
  EXPECT_EQ(device.made[0].format.samplesPerSec, 44100u);
  EXPECT_EQ(chain.names(), std::vector<std::string>{"music\\mus007.mp3"});
  // Only the first half before the play, then the position, pan, volume and the looping play.
  EXPECT_EQ(callsOf(1), (std::vector<std::string>{"setNotifications 2", "lock 0 176400", "unlock",
                                                  "setCurrentPosition 0", "setPan 0", "setVolume 0", "play 1"}));
  const auto marks = stream()->notifications();
  EXPECT_EQ(marks[0].offset, 0u);
  EXPECT_EQ(marks[1].offset, kHalf);
  EXPECT_EQ(half(0), slice(chain.tune(), 0, kHalf));
  EXPECT_TRUE(silent(half(1)));
  EXPECT_TRUE(music_backend.is_playing());

  fire(0);  // the cursor is at the start: the second half is next
  EXPECT_EQ(half(1), slice(chain.tune(), kHalf, kHalf));
  fire(1);
  EXPECT_EQ(half(0), slice(chain.tune(), 2 * kHalf, kHalf));
  EXPECT_EQ(logLines(), (std::vector<std::string>{"read mp3 len = 176400", "read mp3 len = 176400",
                                                  "read mp3 len = 176400"}));
  music_backend.stop();
}

TEST_F(SoundMp3Backend, ALoopingTuneShorterThanAHalfRestartsOnTheNextRefill) {
  FakePcmChain chain({.bytes = 100000});
  music_mp3_play(1, 1);
  EXPECT_EQ(half(0), slice(chain.tune(), 0, kHalf)) << "silence after the end";
  fire(0);
  EXPECT_EQ(half(1), slice(chain.tune(), 0, kHalf)) << "from the start again";
  EXPECT_EQ(chain.opens, 2);
  EXPECT_EQ(chain.closes, 1);
  EXPECT_EQ(music_mp3_view().loop_mode, 1);
  EXPECT_EQ(logLines(), (std::vector<std::string>{"read mp3 len = 100000", "read mp3 len = 100000"}));
}

TEST_F(SoundMp3Backend, ANonLoopingTuneEndsThenStopsAndCanPlayAgain) {
  FakePcmChain chain({.bytes = kHalf + 1000});
  music_mp3_play(2, 0);
  EXPECT_EQ(half(0), slice(chain.tune(), 0, kHalf));
  fire(0);  // reads 1000 bytes short of the half: the half is silenced, the tune has ended
  EXPECT_TRUE(silent(half(1)));
  EXPECT_EQ(music_mp3_view().loop_mode, -1);
  fire(1);  // the refill after it stops and rewinds
  const auto calls = callsOf(1);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "stop");
  EXPECT_EQ(calls.back(), "setCurrentPosition 0");
  EXPECT_FALSE(music_mp3_is_playing());
  const MUSIC_MP3_VIEW v = music_mp3_view();
  EXPECT_FALSE(v.current_decoder);
  EXPECT_TRUE(v.decoder_held);
  EXPECT_EQ(v.flags & 2, 2u) << "still flagged playing";

  // A play now starts afresh: the old stream goes, a new one plays.
  music_mp3_play(2, 0);
  EXPECT_EQ(device.made.size(), 2u);
  EXPECT_EQ(device.log.buffersLive, 1);
  EXPECT_TRUE(music_mp3_is_playing());
  EXPECT_EQ(half(0), slice(chain.tune(), 0, kHalf));
  music_mp3_free();
  EXPECT_EQ(chain.live, 0) << "every chain closed";
}

TEST_F(SoundMp3Backend, AFailedReopenGivesSilenceAndEndsTheLoop) {
  FakePcmChain chain({.bytes = 1000});
  music_mp3_play(3, 1);
  chain.openFails = true;
  fire(0);
  EXPECT_TRUE(silent(half(1)));
  EXPECT_EQ(music_mp3_view().loop_mode, -1);
  EXPECT_EQ(logLines().back(), "read mp3 len = -1");
  fire(1);
  EXPECT_FALSE(music_mp3_is_playing());
}

TEST_F(SoundMp3Backend, VolumeAndPanPassUnchangedAndAreStored) {
  FakePcmChain chain({.bytes = 3 * kHalf});
  music_mp3_set_volume(-100);  // no buffer yet: nothing
  EXPECT_EQ(music_mp3_view().volume, 0);
  music_mp3_play(1, 1);
  device.log.clear();
  music_mp3_set_volume(20000);
  music_mp3_set_volume(20000);
  music_mp3_set_pan(-12000);
  music_mp3_set_pan(300);
  EXPECT_EQ(callsOf(1), (std::vector<std::string>{"setVolume 20000", "setPan -12000", "setPan 300"}));
  EXPECT_EQ(music_mp3_view().volume, 20000);
  EXPECT_EQ(music_mp3_view().pan, 300);
  int32_t applied = 1;
  stream()->getVolume(&applied);
  EXPECT_EQ(applied, 0) << "the buffer refused 20000";
}

TEST_F(SoundMp3Backend, StopJoinsTheThreadBeforeTheBufferGoes) {
  FakePcmChain chain({.bytes = 5 * kHalf});
  music_mp3_play(1, 1);
  fire(0);
  music_mp3_play(2, 1);  // ignored while playing
  EXPECT_EQ(chain.opens, 1);
  device.log.clear();
  music_mp3_stop();
  EXPECT_EQ(callsOf(1), (std::vector<std::string>{"stop", "setCurrentPosition 0", "setNotifications 0", "release"}));
  const MUSIC_MP3_VIEW v = music_mp3_view();
  EXPECT_FALSE(v.thread);
  EXPECT_FALSE(v.buffer);
  EXPECT_EQ(v.flags, 1u);
  EXPECT_EQ(v.loop_mode, -1);
  EXPECT_EQ(device.log.buffersLive, 0);
  music_mp3_stop();  // nothing left to stop
  EXPECT_EQ(callsOf(1).size(), 4u);
  // Free after stop closes the held chain.
  sound_module_free();
  EXPECT_EQ(chain.live, 0);
  EXPECT_EQ(music_mp3_view().flags, 0u);
}

TEST_F(SoundMp3Backend, AMissingTuneLogsItsName) {
  FakePcmChain chain({.bytes = 1000});
  chain.openFails = true;
  music_mp3_play(12, 1);
  EXPECT_EQ(logLines(), std::vector<std::string>{"open mp3 file music\\mus012.mp3 error"});
  EXPECT_TRUE(device.made.empty());
  EXPECT_FALSE(music_mp3_is_playing());
  // Through the decode front end, its own line comes first.
  music_mp3_set_decoder(nullptr);
  clearLog();
  music_mp3_play(13, 1);
  EXPECT_EQ(logLines(), (std::vector<std::string>{"open file music\\mus013.mp3 error",
                                                  "open mp3 file music\\mus013.mp3 error"}));
}

// A layer I tune of 1.5 s (44,100 Hz stereo) through the decode front end itself: the halves
// follow the decode without a gap at 1 s; looping starts it again from the file, a tune that
// does not loop ends in silence.
TEST_F(SoundMp3Backend, RealTune) {
  mpawrite::Layer1Params p = mpa_tune::stereo48k();
  p.rateIndex = 0;
  const Bytes file = mpa_tune::layer1(174, p);
  writeFile("music/mus005.mp3", file);
  writeFile("music/mus006.mp3", file);
  Bytes pcm;
  AUDIO_DECODER* d = audio_open_decoder("music\\mus005.mp3");
  ASSERT_NE(d, nullptr);
  uint8_t buf[4608];
  for (int32_t n; (n = audio_read_pcm(d, buf, sizeof buf)) > 0;) pcm.insert(pcm.end(), buf, buf + n);
  audio_close_decoder(d);
  ASSERT_GT(pcm.size(), kHalf);
  ASSERT_LT(pcm.size(), 2 * kHalf);

  music_mp3_play(5, 1);
  ASSERT_NE(stream(), nullptr);
  EXPECT_EQ(device.made[0].format.samplesPerSec, 44100u);
  EXPECT_EQ(device.made[0].format.channels, 2);
  EXPECT_EQ(half(0), slice(pcm, 0, kHalf));
  fire(0);
  EXPECT_EQ(half(1), slice(pcm, kHalf, kHalf)) << "the second second goes on from the first, then silence";
  fire(1);
  EXPECT_EQ(half(0), slice(pcm, 0, kHalf)) << "looping: from the start again";
  EXPECT_EQ(music_mp3_view().loop_mode, 1);
  music_mp3_stop();

  music_mp3_play(6, 0);
  EXPECT_EQ(half(0), slice(pcm, 0, kHalf));
  fire(0);
  EXPECT_TRUE(silent(half(1))) << "a short last half is not played";
  EXPECT_EQ(music_mp3_view().loop_mode, -1);
  fire(1);
  EXPECT_FALSE(music_mp3_is_playing());
  music_mp3_free();
}

// A chain whose first read loses the stream buffer, so the play that follows the first refill
// fails.
FakePcmChain* g_losing_chain = nullptr;
veldra_test::FakeAudioDevice* g_losing_device = nullptr;
std::atomic<int> g_losses{0};
AUDIO_DECODER* losing_open(const char* name) { return reinterpret_cast<AUDIO_DECODER*>(g_losing_chain->open(name)); }
int32_t losing_read(AUDIO_DECODER* d, uint8_t* buffer, uint32_t length) {
  const int32_t n = g_losing_chain->read(reinterpret_cast<FakePcmChain::Chain*>(d), buffer, length);
  if (g_losses.fetch_sub(1) > 0) g_losing_device->loseAllBuffers();
  return n;
}
const WAV_FORMAT* losing_format(AUDIO_DECODER*) { return &g_losing_chain->format(); }
void losing_close(AUDIO_DECODER* d) { g_losing_chain->close(reinterpret_cast<FakePcmChain::Chain*>(d)); }
const MUSIC_DECODER_OPS kLosingOps = {losing_open, losing_read, losing_format, losing_close};

TEST_F(SoundMp3Backend, AFailedStartLeavesNothingRunning) {
  FakePcmChain chain({.bytes = 5 * kHalf});
  g_losing_chain = &chain;
  g_losing_device = &device;
  g_losses = 1;
  music_mp3_set_decoder(&kLosingOps);
  music_mp3_play(1, 1);
  EXPECT_EQ(callsOf(1).back(), "release");
  MUSIC_MP3_VIEW v = music_mp3_view();
  EXPECT_EQ(v.flags, 1u) << "not flagged playing";
  EXPECT_FALSE(v.thread);
  EXPECT_FALSE(v.buffer);
  EXPECT_FALSE(v.current_decoder);
  EXPECT_EQ(device.log.buffersLive, 0);
  EXPECT_EQ(chain.live, 0);
  // The back end is not dead: the next play starts.
  music_mp3_play(1, 1);
  EXPECT_TRUE(music_mp3_is_playing());
  EXPECT_EQ(half(0), slice(chain.tune(), 0, kHalf));
  music_mp3_free();
  EXPECT_EQ(chain.live, 0);
}

TEST_F(SoundMp3Backend, ALockFailureOnTheStreamThreadIsHandedToTheMainThread) {
  FakePcmChain chain({.bytes = 5 * kHalf});
  music_mp3_play(1, 1);
  stream()->injectFaults({false, 0, 1, plat::DSERR_BUFFERLOST});
  fire(0);
  EXPECT_EQ(sys_take_handed_over_fatal_error(), "Lock stream sound buffer failed !");
  // The thread has left its loop: the free hook joins it at once.
  sound_module_free();
  EXPECT_FALSE(music_mp3_view().thread);
}

// The whole road: the window procedure of the main thread takes the fatal road, whose free hooks
// join the finished stream thread; the text and the exit status are the fatal road's own.
int road_pre_init() {
  sys_set_app_title("Test Title");
  sys_set_screen_size(800, 600);
  sys_set_display_mode(1);
  sys_set_exit_on_close(1);
  return 0;
}
int road_init() {
  music_backend_select(1);
  sys_install_module(sound_module_init, sound_module_free, sound_module_notify);
  return 0;
}
int road_run() {
  music_mp3_play(1, 1);
  music_mp3_buffer()->injectFaults({false, 0, 1, plat::DSERR_BUFFERLOST});
  static_cast<FakeSoundBuffer*>(music_mp3_buffer())->notifications()[0].event->set();
  for (int i = 0; i < 100000; ++i) {
    sys_pump_messages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return 0;
}

TEST_F(SoundMp3Backend, TheFatalRoadRunsOnTheMainThread) {
  FakePcmChain chain({.bytes = 5 * kHalf});
  ClientHooks hooks;
  hooks.pre_init = road_pre_init;
  hooks.init = road_init;
  hooks.run = road_run;
  std::optional<int> code;
  try {
    engine_main(hooks, "", plat::SW_SHOWNORMAL);
  } catch (const plat::test::ExitCalled& e) {
    code = e.code;
  }
  ASSERT_EQ(code, -1);  // the status 255 of the process
  ASSERT_EQ(hp().boxes().size(), 1u);
  EXPECT_EQ(hp().boxes()[0].text, "Lock stream sound buffer failed !");
  EXPECT_FALSE(music_mp3_view().thread);
  EXPECT_EQ(device.log.buffersLive, 0);
}

TEST_F(SoundMp3Backend, TheFatalRoadEndsTheProcessWith255) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        plat::test::setExitHandler(false);
        static FakePcmChain chain({.bytes = 5 * kHalf});
        ClientHooks hooks;
        hooks.pre_init = road_pre_init;
        hooks.init = road_init;
        hooks.run = road_run;
        engine_main(hooks, "", plat::SW_SHOWNORMAL);
      },
      ::testing::ExitedWithCode(255), "");
}

}  // namespace

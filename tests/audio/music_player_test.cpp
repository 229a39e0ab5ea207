// The music player over a fake graph (which facets it asks for, in which order, what it answers)
// and over the headless device's graph (a WAV tune plays, ends, is announced and loops).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/music_player.h"
#include "audio/music_source.h"
#include "plat/audio.h"
#include "plat/headless.h"
#include "plat/music_graph.h"
#include "plat/winmsg.h"
#include "tests/audio/music_headless_fixture.h"
#include "tests/audio/wav_builder.h"
#include "tests/support/fake_music_graph.h"
#include "tests/support/headless_fixture.h"

namespace {

using veldra_test::FakeMusicGraph;
using veldra_test::FakeMusicGraphScript;
using Log = std::vector<std::string>;

constexpr int32_t kEFail = static_cast<int32_t>(0x80004005u);

class MusicPlayerFake : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    FakeMusicGraph::install(s);
  }
  void TearDown() override {
    HeadlessTest::TearDown();  // releases the last graph
    plat::setMusicGraphFactory({});
  }
  // Opens a tune and forgets what the opening logged.
  void openTune() {
    ASSERT_EQ(music_open_file("MUSIC\\a.wav"), 0);
    s.log.clear();
  }
  FakeMusicGraphScript s;
};

using MusicPlayer = MusicPlayerFake;

TEST_F(MusicPlayer, VolumeIsTheRemainderOf101InQuarterDecibels) {
  const struct {
    int32_t in, applied;
  } cases[] = {{100, 0}, {0, -2500}, {50, -1250}, {150, -1275}, {-1, -2525}, {101, -2500}, {-100, -5000}, {202, -2500}};
  openTune();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    s.log.clear();
    EXPECT_EQ(music_set_volume(c.in), c.applied);
    EXPECT_EQ(s.log, Log{"setVolume 1 " + std::to_string(c.applied)});
  }
  // The last one is remembered and applied before every run.
  music_set_volume(-1);
  s.log.clear();
  music_run();
  EXPECT_EQ(s.log, (Log{"setVolume 1 -2525", "run 1"}));
}

TEST_F(MusicPlayer, OpeningBuildsAFreshGraphAfterStoppingAndReleasingTheLastOne) {
  ASSERT_EQ(music_open_file("MUSIC\\a.wav"), 0);
  EXPECT_EQ(s.window, plat::get().windows().mainWindow());
  EXPECT_EQ(s.message, plat::WM_MUSIC_EVENT);
  music_set_volume(40);  // remembered across graphs
  ASSERT_EQ(music_open_file("MUSIC\\b.wav"), 0);
  music_run();
  EXPECT_EQ(s.log, (Log{"made 1", "notifyWindow 1 1289", "renderFile 1 MUSIC\\a.wav", "setVolume 1 -1500", "stop 1",
                        "released 1", "made 2", "notifyWindow 2 1289", "renderFile 2 MUSIC\\b.wav", "setVolume 2 -1500",
                        "run 2"}));
}

TEST_F(MusicPlayer, RenderFailuresAndLongNamesGiveEFail) {
  const std::string fits(258, 'a');  // with the terminator, 259 of the 260 units
  std::string longDouble(130, 'a');
  for (int i = 0; i < 130; ++i) longDouble += "\xD6\xD0";  // 260 characters in all
  const struct {
    const char* what;
    std::string name;
    int32_t render;
    int32_t result;
    std::string rendered;
  } cases[] = {
      {"rendered", "MUSIC\\a.wav", plat::kGraphOk, 0, "MUSIC\\a.wav"},
      {"any failure is E_FAIL", "MUSIC\\a.wav", static_cast<int32_t>(0x80040216u), kEFail, "MUSIC\\a.wav"},
      {"259 characters fit", fits + "x", plat::kGraphOk, 0, fits + "x"},
      {"260 do not: the name reaches the graph empty", fits + "xy", kEFail, kEFail, ""},
      {"double-byte characters count once", longDouble.substr(0, 259 + 129), plat::kGraphOk, 0,
       longDouble.substr(0, 259 + 129)},
      {"260 of them do not", longDouble, kEFail, kEFail, ""},
      {"no name", "", kEFail, kEFail, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    s.log.clear();
    s.renderResult = c.render;
    EXPECT_EQ(music_open_file(c.name.c_str()), c.result);
    const std::string expected = "renderFile " + std::to_string(s.made) + (c.rendered.empty() ? "" : " " + c.rendered);
    EXPECT_EQ(s.count("renderFile"), 1);
    EXPECT_EQ(s.log.back(), expected);
  }
}

TEST_F(MusicPlayer, EventPolling) {
  const struct {
    const char* what;
    std::deque<int32_t> events;
    int32_t rewind, stop, run;
    int32_t result;
    Log calls;
  } cases[] = {
      {"nothing waiting", {}, 0, 0, 0, 0, {}},
      {"the end rewinds", {plat::EC_COMPLETE}, 0, 0, 0, 0, {"getEvent 1 1", "rewind 1"}},
      {"other events are only taken", {14, 3}, 0, 0, 0, 0, {"getEvent 1 14", "getEvent 1 3"}},
      {"a failed rewind is answered by stop and run", {plat::EC_COMPLETE}, kEFail, 0, 0, 0,
       {"getEvent 1 1", "rewind 1", "stop 1", "run 1"}},
      {"a failing stop ends the poll with its result", {plat::EC_COMPLETE, plat::EC_COMPLETE}, kEFail, -7, 0, -7,
       {"getEvent 1 1", "rewind 1", "stop 1"}},
      {"a failing run ends it too", {plat::EC_COMPLETE, 3}, kEFail, 0, -9, -9,
       {"getEvent 1 1", "rewind 1", "stop 1", "run 1"}},
      {"every waiting event is drained", {plat::EC_COMPLETE, plat::EC_COMPLETE}, 0, 0, 0, 0,
       {"getEvent 1 1", "rewind 1", "getEvent 1 1", "rewind 1"}},
  };
  openTune();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    s.log.clear();
    s.events = c.events;
    s.rewindResult = c.rewind;
    s.stopResult = c.stop;
    s.runResult = c.run;
    EXPECT_EQ(music_poll_events(), c.result);
    EXPECT_EQ(s.log, c.calls);
  }
}

// Each call asks for its facet; a graph without it makes that call do nothing.
TEST_F(MusicPlayer, MissingFacets) {
  s.events = {plat::EC_COMPLETE, plat::EC_COMPLETE};
  s.hasControl = false;
  s.hasAudio = false;
  openTune();
  music_run();
  music_pause();
  EXPECT_EQ(music_stop(), 0);
  EXPECT_EQ(music_set_volume(100), 0);
  EXPECT_TRUE(s.log.empty());

  s.hasSeeking = false;  // treated as a failed rewind: with no control either, the poll fails
  s.log.clear();
  EXPECT_EQ(music_open_file("MUSIC\\a.wav"), 0);
  s.log.clear();
  EXPECT_EQ(music_poll_events(), kEFail);
  EXPECT_EQ(s.log, Log{"getEvent 2 1"});

  s.hasEvents = false;
  EXPECT_EQ(music_open_file("MUSIC\\a.wav"), 0);
  s.log.clear();
  EXPECT_EQ(music_poll_events(), 0);
  EXPECT_TRUE(s.log.empty()) << "the waiting event stays untouched";
}

TEST_F(MusicPlayer, WithoutAGraphEveryCallDoesNothing) {
  plat::setMusicGraphFactory([] { return std::unique_ptr<plat::IMusicGraph>(); });
  EXPECT_EQ(music_open_file("MUSIC\\a.wav"), 0);
  music_run();
  music_pause();
  EXPECT_EQ(music_stop(), 0);
  EXPECT_EQ(music_poll_events(), 0);
  EXPECT_EQ(music_set_volume(20), -2000);
  EXPECT_EQ(s.made, 0);
}

// ---- the graph on the headless device -------------------------------------------------------

constexpr int kStepSamples = 220;  // one 10 ms step of the tune
constexpr int kSteps = 30;         // a 300 ms tune

// A 16-bit mono 22,050 Hz tune whose k-th 10 ms step holds the value 1000 (k + 1).
std::string steppedTune() {
  std::vector<uint8_t> pcm;
  for (int k = 0; k < kSteps; ++k)
    for (int i = 0; i < kStepSamples; ++i) {
      const int16_t v = static_cast<int16_t>(1000 * (k + 1));
      pcm.push_back(static_cast<uint8_t>(v & 0xFF));
      pcm.push_back(static_cast<uint8_t>(v >> 8));
    }
  const std::vector<uint8_t> wave =
      wav_test::riffWave({{"fmt ", wav_test::fmtPayload(1, 22050, 44100, 2, 16)}, {"data", pcm}});
  return std::string(wave.begin(), wave.end());
}

using music_test::g_music_messages;

class MusicPlayerHeadless : public music_test::MusicHeadless {
 protected:
  void SetUp() override {
    MusicHeadless::SetUp();
    dir.write("MUSIC/tune.MP3", steppedTune());  // PCM WAVE under an MP3 name, as the game has them
  }
  // The left channel of the recording as the sequence of held values: a value counts once it
  // lasts 100 samples, and repeats of the same value are merged.
  std::vector<int> heard() {
    const std::vector<int16_t> rec = audio().recording();
    std::vector<int> out;
    size_t i = 0;
    while (i < rec.size()) {
      size_t j = i;
      while (j < rec.size() && rec[j] == rec[i]) j += 2;
      if ((j - i) / 2 >= 100 && (out.empty() || out.back() != rec[i])) out.push_back(rec[i]);
      i = std::max(j, i + 2);
    }
    return out;
  }
  static std::vector<int> tune(int from = 1, int to = kSteps) {
    std::vector<int> v;
    for (int k = from; k <= to; ++k) v.push_back(1000 * k);
    return v;
  }
  static std::vector<int> join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

TEST_F(MusicPlayerHeadless, AWavTunePlaysIsAnnouncedOnceAndLoopsAfterThePoll) {
  music_set_volume(100);
  ASSERT_EQ(music_open_file("MUSIC\\tune.MP3"), 0);
  audio().startRecording();
  frames(45);
  EXPECT_EQ(g_music_messages, 1);
  EXPECT_EQ(heard(), join(tune(), {0})) << "played whole, then silence";

  frames(20);
  EXPECT_EQ(g_music_messages, 1) << "the end is announced once";
  EXPECT_EQ(music_poll_events(), 0);
  EXPECT_EQ(music_poll_events(), 0) << "the event was taken";
  audio().clearRecording();
  frames(45);
  const std::vector<int> again = heard();
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again, join(tune(), {0})) << "from the start again, with no gap";
  EXPECT_EQ(g_music_messages, 2);
}

TEST_F(MusicPlayerHeadless, PauseKeepsThePlaceAndStopGoesBackToTheStart) {
  music_set_volume(100);
  ASSERT_EQ(music_open_file("MUSIC\\tune.MP3"), 0);
  audio().startRecording();
  frames(10);
  music_pause();
  frames(10, false);
  frames(10);
  std::vector<int> h = heard();
  // 1000..10000, a pause of silence, then on from where it stopped (a step may straddle it).
  ASSERT_GE(h.size(), 12u);
  const auto pause = std::find(h.begin(), h.end(), 0);
  ASSERT_NE(pause, h.end());
  ASSERT_NE(pause + 1, h.end());
  EXPECT_GE(*(pause + 1), *(pause - 1));
  EXPECT_LE(*(pause + 1), *(pause - 1) + 1000);

  EXPECT_EQ(music_stop(), 0);
  audio().clearRecording();
  frames(15);
  h = heard();
  ASSERT_GE(h.size(), 3u);
  EXPECT_EQ(std::vector<int>(h.begin(), h.begin() + 3), tune(1, 3));
}

TEST_F(MusicPlayerHeadless, FilesThatAreNeitherPcmWaveNorMpegDoNotRender) {
  std::vector<uint8_t> float32 = wav_test::riffWave(
      {{"fmt ", wav_test::fmtPayload(1, 22050, 88200, 4, 32)}, {"data", std::vector<uint8_t>(400, 0)}});
  float32[20] = 3;  // IEEE float
  const std::vector<uint8_t> bits24 = wav_test::riffWave(
      {{"fmt ", wav_test::fmtPayload(1, 22050, 66150, 3, 24)}, {"data", std::vector<uint8_t>(300, 0)}});
  const std::vector<uint8_t> empty = wav_test::pcmWave(0);
  const struct {
    const char* what;
    std::string bytes;  // empty: no file
  } cases[] = {
      {"missing", ""},
      {"text", "not a tune at all"},
      {"a reserved MPEG layer", std::string("\xFF\xF9\x90\x64") + std::string(400, '\0')},
      {"float samples", std::string(float32.begin(), float32.end())},
      {"24-bit samples", std::string(bits24.begin(), bits24.end())},
      {"no data", std::string(empty.begin(), empty.end())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.bytes.empty()) dir.write("MUSIC/x.mp3", c.bytes);
    EXPECT_EQ(music_open_file("MUSIC\\x.mp3"), kEFail);
    music_run();
    EXPECT_EQ(music_poll_events(), 0);
  }
}

class MusicPlayerNoDevice : public MusicPlayerHeadless {
 protected:
  void configure(plat::HeadlessOptions& o) override {
    MusicPlayerHeadless::configure(o);
    o.audioDevice = false;
  }
};

TEST_F(MusicPlayerNoDevice, NothingOpens) {
  int opened = 0;
  plat::setPcmSourceOpener([&](std::string_view path) {
    ++opened;
    return music_source_open(path);
  });
  EXPECT_EQ(music_open_file("MUSIC\\tune.MP3"), 0);
  frames(40);
  EXPECT_EQ(music_stop(), 0);
  EXPECT_EQ(music_poll_events(), 0);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(g_music_messages, 0);
}

// A source that throws: at once, the file does not render; later, it is logged once and the
// tune ends there (announced like any end), and stopping or rewinding reads it no more.
class FailingSource : public plat::PcmSource {
 public:
  explicit FailingSource(int goodReads) : good_(goodReads) {}
  plat::WaveFormat format() const override { return plat::WaveFormat{}; }
  int32_t read(uint8_t* dst, uint32_t bytes) override {
    if (good_-- <= 0) throw std::runtime_error("bad frame");
    std::memset(dst, 0x10, bytes);
    return static_cast<int32_t>(bytes);
  }
  bool rewind() override { return true; }

 private:
  int good_;
};

TEST_F(MusicPlayerHeadless, ASourceThatThrows) {
  plat::setPcmSourceOpener([](std::string_view) { return std::make_unique<FailingSource>(0); });
  EXPECT_EQ(music_open_file("MUSIC\\tune.MP3"), kEFail);

  plat::setPcmSourceOpener([](std::string_view) { return std::make_unique<FailingSource>(1); });
  ASSERT_EQ(music_open_file("MUSIC\\tune.MP3"), 0);
  audio().startRecording();
  frames(30);
  const std::vector<std::string>& lines = hp().debugLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "music source failed: bad frame"), 2) << "once for each source";
  EXPECT_EQ(g_music_messages, 1);
  const std::vector<int16_t> rec = audio().recording();
  ASSERT_GE(rec.size(), 2u);
  EXPECT_EQ(rec.back(), 0) << "silence after the failure";
  EXPECT_EQ(music_poll_events(), 0);
  EXPECT_EQ(music_stop(), 0);
}

}  // namespace

// MPEG tunes through the music player on the headless device: what the mixer plays is the
// decoder's PCM, the end is announced once and the tune comes back from its start; the music
// player's start rule takes tunes that the front end's own refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/decode/audio_decoder.h"
#include "audio/decode/audio_decoder_chain.h"
#include "audio/music_player.h"
#include "plat/audio.h"
#include "tests/audio/lame_fixtures.h"
#include "tests/audio/mpa_tune.h"
#include "tests/audio/music_headless_fixture.h"
#include "tools/mpawrite/mpawrite.h"

namespace {

using Bytes = std::vector<uint8_t>;
using music_test::g_music_messages;

// Interleaved 16-bit samples of the whole decode of a game file, as the music road opens it.
std::vector<int16_t> directDecode(const char* name, AudioStartRule rule = AudioStartRule::Music) {
  std::vector<int16_t> out;
  AUDIO_DECODER* d = audio_open_decoder_with(name, rule);
  if (d == nullptr) return out;
  uint8_t buf[4608];
  for (int32_t n; (n = audio_read_pcm(d, buf, sizeof buf)) > 0;)
    for (int32_t i = 0; i + 1 < n; i += 2) out.push_back(static_cast<int16_t>(buf[i] | buf[i + 1] << 8));
  audio_close_decoder(d);
  return out;
}

// Where `tune` starts in `rec` (within the first `within` samples) such that everything recorded
// from there to the tune's end or the recording's end is the tune; -1 when nowhere.
int64_t startOf(const std::vector<int16_t>& rec, const std::vector<int16_t>& tune, size_t within) {
  for (size_t k = 0; k < within && k < rec.size(); k += 2) {
    const size_t n = std::min(tune.size(), rec.size() - k);
    if (n >= tune.size() / 2 && std::equal(tune.begin(), tune.begin() + static_cast<std::ptrdiff_t>(n), rec.begin() + static_cast<std::ptrdiff_t>(k)))
      return static_cast<int64_t>(k);
  }
  return -1;
}

class MpegMusic : public music_test::MusicHeadless {};

// Tunes at the mixer's own rate (22,050 Hz stereo), so the mixer passes the samples unchanged.
TEST_F(MpegMusic, Id3TaggedTunePlaysAsDecodedAnnouncesItsEndOnceAndRestarts) {
  mpawrite::Layer1Params layer1 = mpa_tune::stereo48k();
  layer1.version = 1;
  layer1.rateIndex = 0;  // 22,050 Hz
  layer1.bitrateIndex = 14;
  struct Case { const char* what; Bytes audio; };
  std::vector<Case> cases = {{"layer I, MPEG-2", mpa_tune::layer1(30, layer1)}};
  if (l3_fixture::haveTool(l3_fixture::kLame)) {
    const std::string mp3 = l3_fixture::encode("music_l3_22k", 22050, 2, {"-b", "64"}, 0.6);
    ASSERT_FALSE(mp3.empty());
    cases.push_back({"lame layer III, MPEG-2", l3_fixture::readFile(mp3)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_music_messages = 0;
    const Bytes file = mpawrite::id3v2_head(c.audio, 5000);
    dir.write("MUSIC/menu01.MP3", std::string(file.begin(), file.end()));
    const std::vector<int16_t> tune = directDecode("music\\menu01.MP3");
    ASSERT_GT(tune.size(), 20000u);
    EXPECT_EQ(audio_open_decoder("music\\menu01.MP3"), nullptr) << "a 5,000-byte head is too much for the front end";

    music_set_volume(100);
    ASSERT_EQ(music_open_file("music\\menu01.MP3"), 0);
    audio().clearRecording();
    audio().startRecording();
    frames(100);  // 1 s: the tune is about 0.6 s
    std::vector<int16_t> rec = audio().recording();
    const int64_t at = startOf(rec, tune, 4410);
    ASSERT_GE(at, 0) << "the recording is the decode";
    ASSERT_GE(rec.size(), static_cast<size_t>(at) + tune.size());
    EXPECT_TRUE(std::all_of(rec.begin() + at + static_cast<std::ptrdiff_t>(tune.size()), rec.end(), [](int16_t v) { return v == 0; }))
        << "silence after the end";
    EXPECT_EQ(g_music_messages, 1);

    // The frame step polls: the tune comes back from its start, right at the play cursor.
    EXPECT_EQ(music_poll_events(), 0);
    audio().clearRecording();
    frames(100);
    rec = audio().recording();
    EXPECT_LE(startOf(rec, tune, 4410), 2205) << "again from the start, within one period";
    EXPECT_GE(startOf(rec, tune, 4410), 0);
    EXPECT_EQ(g_music_messages, 2);
    music_stop();
  }
}

TEST_F(MpegMusic, Mpeg25TunePlaysThroughThePlayerOnly) {
  if (!l3_fixture::haveTool(l3_fixture::kLame)) GTEST_SKIP() << "lame is not installed";
  const std::string mp3 = l3_fixture::encode("music_l3_11k", 11025, 1, {"-b", "24"}, 0.8);
  ASSERT_FALSE(mp3.empty());
  const Bytes bytes = l3_fixture::readFile(mp3);
  ASSERT_GE(bytes.size(), 2u);
  ASSERT_EQ(bytes[1] & 0xF0, 0xE0) << "lame wrote MPEG-2.5";
  dir.write("MUSIC/MUS007.MP3", std::string(bytes.begin(), bytes.end()));

  // The front end's junk skip never stops on an MPEG-2.5 sync. Here it runs into a sync-like
  // word inside the frame data and hands the decoder what follows: never the tune.
  const std::vector<int16_t> strict = directDecode("MUSIC\\MUS007.MP3", AudioStartRule::FrontEnd);
  const std::vector<int16_t> tune = directDecode("MUSIC\\MUS007.MP3");
  ASSERT_GT(tune.size(), 8000u);
  EXPECT_NE(strict, tune);
  AUDIO_DECODER* d = audio_open_decoder_with("MUSIC\\MUS007.MP3", AudioStartRule::Music);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(audio_get_wave_format(d)->samples_per_sec, 11025u);
  EXPECT_EQ(audio_get_wave_format(d)->channels, 1);
  audio_close_decoder(d);

  music_set_volume(100);
  ASSERT_EQ(music_open_file("MUSIC\\MUS007.MP3"), 0);
  audio().startRecording();
  frames(120);
  const std::vector<int16_t> rec = audio().recording();
  // The mixer doubles the rate: 0.8 s of source is about 0.8 s of sound, not silence.
  const auto loud = std::count_if(rec.begin(), rec.end(), [](int16_t v) { return v > 2000 || v < -2000; });
  EXPECT_GT(loud, 1000);
  EXPECT_EQ(g_music_messages, 1);
  music_stop();
}

}  // namespace

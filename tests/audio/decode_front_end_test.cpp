// The decode front end on files in a game folder: what each wrapping hands the decoder, the one
// line each failure logs, the read codes, the wave format and the converter's WAVE file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/decode/audio_decoder.h"
#include "audio/decode/audio_decoder_chain.h"
#include "audio/mpeg/mpeg_audio_stream.h"
#include "tests/audio/mpa_tune.h"
#include "tests/engine/pak_fixture.h"
#include "tools/mpawrite/mpawrite.h"

namespace {

using Bytes = std::vector<uint8_t>;
using mpawrite::concat;

constexpr int kFrames = 30;  // layer I frames of the tune: 10 decoder frames

struct Decode {
  bool opened = false;
  int64_t inputSize = -1;  // what the decoder was handed
  Bytes pcm;
  int32_t endCode = 0;
};

class DecodeFrontEnd : public pak_test::PakTest {
 protected:
  Decode decode(const std::string& name, const Bytes& bytes, AudioStartRule rule = AudioStartRule::FrontEnd) {
    writeFile(name, bytes);
    return decodeExisting(name, rule);
  }

  static Decode decodeExisting(const std::string& name, AudioStartRule rule = AudioStartRule::FrontEnd) {
    Decode out;
    AUDIO_DECODER* d = audio_open_decoder_with(name.c_str(), rule);
    if (d == nullptr) return out;
    out.opened = true;
    out.inputSize = stream_size(d->input);
    uint8_t buf[1000];
    for (;;) {
      const int32_t n = audio_read_pcm(d, buf, sizeof buf);
      EXPECT_NE(n, 0);  // the end shows as a negative code, never as 0
      if (n <= 0) {
        out.endCode = n;
        break;
      }
      out.pcm.insert(out.pcm.end(), buf, buf + n);
    }
    audio_close_decoder(d);
    return out;
  }

  // With CRC words: a layer I header without them starts 0xFFFF, which the junk skip passes over.
  const Bytes tune = mpa_tune::layer1(kFrames, mpa_tune::withCrc());
};

TEST_F(DecodeFrontEnd, RecognitionHandsTheDecoderTheAudio) {
  const Bytes bare = tune;
  const Decode plain = decode("plain.mp3", bare);
  ASSERT_TRUE(plain.opened);
  ASSERT_GT(plain.pcm.size(), 0u);
  const int64_t audio = static_cast<int64_t>(bare.size());

  const Bytes pad300 = mpawrite::junk(300), junk1024 = mpawrite::junk(1024);
  const Bytes ffRun = {0xFF, 0xFF, 0xFF};  // a run of 0xFF before the sync is skipped too
  mpawrite::SystemOptions foreign;
  foreign.foreignPackets = true;
  foreign.packEveryPacket = true;
  foreign.packetPayload = 700;
  mpawrite::SystemOptions stamped;
  stamped.stuffing = 3;
  stamped.bufferField = true;
  stamped.timeStamps = 2;
  struct Case {
    const char* what;
    Bytes file;
    int64_t inputSize;  // -1: a sequential input whose size is not known
  };
  const Case cases[] = {
      {"300 bytes of padding", concat({&pad300, &bare}), audio},
      {"junk up to the limit", concat({&junk1024, &bare}), audio},
      {"a run of 0xFF after junk", concat({&pad300, &ffRun, &bare}), audio},
      {"ID3v1 trailer", mpawrite::id3v1_trailer(bare), audio},
      {"RIFF after fmt and fact", mpawrite::riff_wrap(bare), audio},
      {"INFO prefix", mpawrite::info_prefix(bare, 57), audio},
      {"INFO prefix and ID3v1 trailer", mpawrite::info_prefix(mpawrite::id3v1_trailer(bare), 8), audio},
      {"system stream", mpawrite::system_stream(bare), 0},
      {"system stream with other packets and packs", mpawrite::system_stream(bare, foreign), 0},
      {"system stream with stuffing and time stamps", mpawrite::system_stream(bare, stamped), 0},
      {"small ID3v2 head read as junk", mpawrite::id3v2_head(bare, 500), audio},
  };
  for (const Case& c : cases) {
    clearLog();
    const Decode got = decode("t.mp3", c.file);
    ASSERT_TRUE(got.opened) << c.what;
    EXPECT_EQ(got.inputSize, c.inputSize) << c.what;
    EXPECT_TRUE(got.pcm == plain.pcm) << c.what << ": " << got.pcm.size() << " bytes of " << plain.pcm.size();
    EXPECT_TRUE(logLines().empty()) << c.what;
  }
}

TEST_F(DecodeFrontEnd, EachFailureLogsItsLineOnce) {
  const Bytes junk1025 = mpawrite::junk(1025);
  mpawrite::SystemOptions unlisted;
  unlisted.listAudioInHeader = false;
  Bytes tagOnly(100, 't');
  std::memcpy(tagOnly.data(), "TAG", 3);
  struct Case {
    const char* what;
    const char* name;
    Bytes file;  // empty: no file is written
    const char* line;
  };
  const Case cases[] = {
      {"missing file", "music\\none.mp3", {}, "open file music\\none.mp3 error"},
      {"junk past the limit", "j.mp3", concat({&junk1025, &tune}), "Could not open audio mpeg"},
      {"RIFF without data", "r.wav", mpawrite::riff_wrap(tune, false), "Could not find data chunk in RIFF file"},
      {"system stream without audio", "s.mpg", mpawrite::system_stream(tune, unlisted),
       "mpeg stream does not contain audio data"},
      {"a 100-byte file that looks tagged", "short.mp3", tagOnly, "Could not open audio mpeg"},
      {"one zero byte", "zero.mp3", Bytes{0}, "Could not open audio mpeg"},
      {"ID3v2 head over the junk limit", "id3.mp3", mpawrite::id3v2_head(tune, 5000), "Could not open audio mpeg"},
  };
  for (const Case& c : cases) {
    clearLog();
    if (!c.file.empty()) writeFile(c.name, c.file);
    EXPECT_EQ(audio_open_decoder(c.name), nullptr) << c.what;
    EXPECT_EQ(logLines(), std::vector<std::string>{c.line}) << c.what;
  }
  clearLog();
  EXPECT_EQ(audio_open_decoder(nullptr), nullptr);
  EXPECT_EQ(logLines(), std::vector<std::string>{"open file  error"});
}

TEST_F(DecodeFrontEnd, MusicRuleSkipsId3v2AndTakesAnyValidHeader) {
  const Decode plain = decode("plain.mp3", tune);
  ASSERT_TRUE(plain.opened);
  // The same audio without CRC words decodes to the same PCM.
  mpawrite::Layer1Params bare;
  const Bytes noCrc = mpa_tune::layer1(kFrames, bare), pad = mpawrite::junk(40);
  struct Case {
    const char* what;
    Bytes file;
    bool frontEnd;  // whether the front end's own rule opens it as well
  };
  const Case cases[] = {
      {"ID3v2 of 5,000 bytes", mpawrite::id3v2_head(tune, 5000), false},
      {"ID3v2 with a footer", mpawrite::id3v2_head(tune, 3000, true), false},
      {"ID3v2 then an ID3v1 trailer", mpawrite::id3v1_trailer(mpawrite::id3v2_head(tune, 2000)), false},
      {"a bare tune", tune, true},
      {"junk before a header starting 0xFFFF", concat({&pad, &noCrc}), false},
      {"RIFF", mpawrite::riff_wrap(tune), true},
  };
  for (const Case& c : cases) {
    const Decode music = decode("m.mp3", c.file, AudioStartRule::Music);
    ASSERT_TRUE(music.opened) << c.what;
    EXPECT_EQ(music.inputSize, static_cast<int64_t>(tune.size())) << c.what;
    EXPECT_TRUE(music.pcm == plain.pcm) << c.what;
    EXPECT_EQ(decodeExisting("m.mp3").opened, c.frontEnd) << c.what;
  }
}

// Silent MPEG-2.5 layer III frames (8 kHz mono, 8 kbit/s: 72 bytes each, all data zero): the
// sync word 0xFFE3 is below what the front end's junk skip stops at, so it gives up 1,024 bytes
// in; the music rule takes the header.
TEST_F(DecodeFrontEnd, Mpeg25OpensOnlyUnderTheMusicRule) {
  Bytes frames;
  for (int f = 0; f < 40; ++f) {
    const Bytes frame = {0xFF, 0xE3, 0x18, 0xC0};
    frames.insert(frames.end(), frame.begin(), frame.end());
    frames.insert(frames.end(), 68, 0);
  }
  writeFile("music/mus025.mp3", frames);
  EXPECT_EQ(audio_open_decoder("music\\mus025.mp3"), nullptr);
  EXPECT_EQ(logLines(), std::vector<std::string>{"Could not open audio mpeg"});
  const Decode music = decodeExisting("music\\mus025.mp3", AudioStartRule::Music);
  ASSERT_TRUE(music.opened);
  EXPECT_EQ(music.inputSize, static_cast<int64_t>(frames.size()));
  EXPECT_EQ(music.pcm.size(), 21u * 1152 * 2) << "20 decoder frames of two frames each, then the flush frame";
  EXPECT_TRUE(std::all_of(music.pcm.begin(), music.pcm.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(DecodeFrontEnd, ReadCodes) {
  uint8_t buf[64];
  EXPECT_EQ(audio_read_pcm(nullptr, buf, sizeof buf), -1);
  AUDIO_DECODER empty;
  EXPECT_EQ(audio_read_pcm(&empty, buf, sizeof buf), -2);
  EXPECT_EQ(audio_get_wave_format(nullptr), nullptr);
  audio_close_decoder(nullptr);

  // Read to its end, a tune answers -3 from then on.
  const Decode got = decode("c.mp3", tune);
  ASSERT_TRUE(got.opened);
  EXPECT_EQ(got.endCode, -3);
  writeFile("z.mp3", tune);
  AUDIO_DECODER* d = audio_open_decoder("z.mp3");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(audio_read_pcm(d, buf, 0), -4);
  EXPECT_EQ(audio_read_pcm(d, buf, 10), 10);
  EXPECT_EQ(stream_tell(d->decoder), 10);
  EXPECT_EQ(stream_at_end(d->decoder), 0);
  EXPECT_GT(stream_size(d->decoder), 0);
  audio_close_decoder(d);
}

TEST_F(DecodeFrontEnd, WaveFormatDescribesTheDecoderOutput) {
  mpawrite::Layer1Params mpeg2;
  mpeg2.version = 1;
  mpeg2.bitrateIndex = 10;
  mpeg2.allocation = 3;
  mpeg2.subbands = 12;
  struct Case { const char* what; mpawrite::Layer1Params p; uint16_t channels; uint32_t rate; };
  const Case cases[] = {
      {"mono 44.1 kHz", {}, 1, 44100},
      {"stereo 48 kHz", mpa_tune::stereo48k(), 2, 48000},
      {"MPEG-2 mono 22.05 kHz", mpeg2, 1, 22050},
  };
  for (const Case& c : cases) {
    writeFile("w.mp3", mpa_tune::layer1(6, c.p));
    AUDIO_DECODER* d = audio_open_decoder("w.mp3");
    ASSERT_NE(d, nullptr) << c.what;
    const WAV_FORMAT* f = audio_get_wave_format(d);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->format_tag, 1);
    EXPECT_EQ(f->channels, c.channels) << c.what;
    EXPECT_EQ(f->samples_per_sec, c.rate) << c.what;
    EXPECT_EQ(f->bits_per_sample, 16);
    EXPECT_EQ(f->block_align, 2 * c.channels);
    EXPECT_EQ(f->avg_bytes_per_sec, 2u * c.channels * c.rate);
    EXPECT_EQ(f->extra_size, 0);
    // The PCM is what the format says: 1,152 samples per decoder frame (three layer I frames),
    // two frames and the flush frame.
    uint8_t buf[4608 * 4];
    EXPECT_EQ(audio_read_pcm(d, buf, sizeof buf), static_cast<int32_t>(3 * 1152 * f->block_align)) << c.what;
    audio_close_decoder(d);
  }
}

uint32_t le32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

TEST_F(DecodeFrontEnd, ConverterWritesPatchedWaveFile) {
  const Bytes stereo = mpa_tune::layer1(kFrames, mpa_tune::stereo48k());
  const Decode direct = decode("music/s.mp3", stereo);
  ASSERT_TRUE(direct.opened);
  clearLog();
  ASSERT_EQ(audio_decode_to_wave_file("MUSIC\\S.MP3", "out.wav"), 0);
  EXPECT_TRUE(logLines().empty());
  const std::string text = dir.read("out.wav");
  const Bytes w(text.begin(), text.end());
  ASSERT_EQ(w.size(), 44 + direct.pcm.size());
  EXPECT_EQ(std::string(text, 0, 4), "RIFF");
  EXPECT_EQ(le32(w, 4), w.size() - 8);
  EXPECT_EQ(std::string(text, 8, 8), "WAVEfmt ");
  EXPECT_EQ(le32(w, 16), 16u);
  EXPECT_EQ(le16(w, 20), 1);
  EXPECT_EQ(le16(w, 22), 2);
  EXPECT_EQ(le32(w, 24), 48000u);
  EXPECT_EQ(le32(w, 28), 192000u);
  EXPECT_EQ(le16(w, 32), 4);
  EXPECT_EQ(le16(w, 34), 16);
  EXPECT_EQ(std::string(text, 36, 4), "data");
  EXPECT_EQ(le32(w, 40), direct.pcm.size());
  EXPECT_TRUE(std::equal(direct.pcm.begin(), direct.pcm.end(), w.begin() + 44));

  // Failures: -1, the lines of the open and of the converter, and nothing left open or written.
  writeFile("junk.mp3", mpawrite::junk(2000));
  dir.mkdir("folder.wav");
  struct Case { const char* what; const char* src; const char* dst; std::vector<std::string> lines; };
  const Case cases[] = {
      {"missing source", "none.mp3", "a.wav", {"open file none.mp3 error", "open mp3 file none.mp3 error"}},
      {"decoder fails", "junk.mp3", "b.wav", {"Could not open audio mpeg", "open mp3 file junk.mp3 error"}},
      {"destination not writable", "music\\s.mp3", "folder.wav", {"open wave file folder.wav error"}},
      {"destination outside the game folder", "music\\s.mp3", "..\\x.wav", {"open wave file ..\\x.wav error"}},
  };
  for (const Case& c : cases) {
    clearLog();
    EXPECT_EQ(audio_decode_to_wave_file(c.src, c.dst), -1) << c.what;
    EXPECT_EQ(logLines(), c.lines) << c.what;
  }
  EXPECT_FALSE(dir.exists("a.wav"));
  EXPECT_FALSE(dir.exists("b.wav"));
}

}  // namespace

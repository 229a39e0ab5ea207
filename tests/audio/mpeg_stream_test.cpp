// The MPEG audio decoder stream as its callers see it: what open reports, the decoder frame of
// each layer, the end of the stream, the header search over junk and foreign frames, seeking,
// peeking and the controls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/mpeg/mpeg_audio_stream.h"
#include "audio/stream/system_stream.h"
#include "tests/audio/mpa_decode_util.h"
#include "tests/audio/twolame_fixtures.h"

namespace {

using audio::CMpegAudioStream;
using mpa_test::decode;
using mpa_test::Decoded;
using mpa_test::OpenArgs;
using test_support::MemoryStream;
using Bytes = std::vector<uint8_t>;

bool haveEncoders() { return l3_fixture::haveTool(l12_fixture::kTwolame) && l3_fixture::haveTool(l3_fixture::kLame); }

Bytes mono44(int frames, int first = 0) { return mpa_test::layer1Stream(mpawrite::Layer1Params{}, frames, 0.2, first); }

TEST(MpegOpen, ReportsRateChannelsAndFrameBytes) {
  if (!haveEncoders()) GTEST_SKIP() << "twolame and lame are needed (scripts/deps.sh installs them)";
  struct Case {
    const char* name;
    std::string file;
    int rate, stereo;
    int64_t frameBytes;
  };
  const std::string l2 = l12_fixture::encode("open_l2_44k_stereo", 44100, 2, {"-m", "s", "-b", "192"}, 1.0);
  const std::string l3lsf = l3_fixture::encode("open_l3_22k_mono", 22050, 1, {"-m", "m", "-b", "32"}, 1.0);
  const std::string l3m25 = l3_fixture::encode("open_l3_8k_mono", 8000, 1, {"-m", "m", "-b", "16"}, 1.0);
  const Case cases[] = {
      {"layer II 44.1 kHz stereo", l2, 44100, 1, 4608},
      {"MPEG-2 layer III: two frames of 576", l3lsf, 22050, 0, 2304},
      {"MPEG-2.5 layer III opens on the decoder", l3m25, 8000, 0, 2304},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.file.empty()) << c.name;
    const Decoded d = decode(l3_fixture::readFile(c.file));
    ASSERT_EQ(d.rc, 0) << c.name;
    EXPECT_EQ(d.rate, c.rate) << c.name;
    EXPECT_EQ(d.stereo, c.stereo) << c.name;
    EXPECT_EQ(d.frameBytes, c.frameBytes) << c.name;
    EXPECT_EQ(d.pcm.size() % static_cast<size_t>(c.frameBytes), 0u) << c.name;
    // The size estimate counts the real frames, near enough to the count read.
    EXPECT_NEAR(static_cast<double>(d.size), static_cast<double>(d.pcm.size() - c.frameBytes), 2.0 * c.frameBytes) << c.name;
  }
}

TEST(MpegOpen, OutputConfigurationsAndRefusals) {
  const Bytes l1 = mono44(9);
  struct Case {
    const char* name;
    Bytes bytes;
    OpenArgs args;
    int rc, rate, stereo;
    int64_t frameBytes;
  };
  Bytes freeFormat = l1;
  freeFormat[2] &= 0x0F;  // bit-rate index 0 in the first header
  const Bytes junk = mpawrite::junk(10);
  const Bytes junkFirst = mpawrite::concat({&junk, &l1});
  Bytes lsf;
  {
    mpawrite::Layer1Params p;
    p.version = 1;
    lsf = mpa_test::layer1Stream(p, 6);
  }
  const Case cases[] = {
      {"layer I: three frames, mono 16-bit", l1, {}, 0, 44100, 0, 2304},
      {"floats", l1, {false, 0, 0, true}, 0, 44100, 0, 4608},
      {"half rate", l1, {true, 1, 0, true}, 0, 22050, 0, 1152},
      {"quarter rate, two channels", l1, {true, 2, 2, true}, 0, 11025, 1, 1152},
      {"mono into both channels", l1, {true, 0, -2, true}, 0, 44100, 1, 4608},
      {"shift clamped to 2", l1, {true, 7, 0, true}, 0, 11025, 0, 576},
      {"layer I of MPEG-2", lsf, {}, 0, 22050, 0, 2304},
      {"free format", freeFormat, {}, -1, 0, 0, 0},
      {"junk before the first header", junkFirst, {}, -1, 0, 0, 0},
      {"empty input", {}, {}, -1, 0, 0, 0},
      {"a header and nothing else", Bytes(l1.begin(), l1.begin() + 4), {}, 0, 44100, 0, 2304},
  };
  for (const Case& c : cases) {
    const Decoded d = decode(c.bytes, c.args);
    EXPECT_EQ(d.rc, c.rc) << c.name;
    if (c.rc != 0) continue;
    EXPECT_EQ(d.rate, c.rate) << c.name;
    EXPECT_EQ(d.stereo, c.stereo) << c.name;
    EXPECT_EQ(d.frameBytes, c.frameBytes) << c.name;
  }
}

TEST(MpegOpen, NonSeekableInputHasNoSizeAndDoesNotSeek) {
  const Bytes l1 = mono44(30);
  MemoryStream in(l1, false);
  CMpegAudioStream s;
  int rate = 0, stereo = 0;
  ASSERT_EQ(s.open(&in, &rate, &stereo, true, 0, 0), 0);
  EXPECT_EQ(s.size(), 0);
  EXPECT_EQ(s.seek(10000), 0);
  // It still decodes the whole stream, the same as from a seekable input.
  const Decoded seq = decode(l1, {true, 0, 0, false});
  const Decoded ra = decode(l1);
  EXPECT_EQ(seq.pcm, ra.pcm);
  EXPECT_EQ(ra.pcm.size(), static_cast<size_t>(11 * 2304));
}

// ---- structure ------------------------------------------------------------------------------

TEST(MpegStructure, EndsWithOneFlushFrameThenNothing) {
  const Bytes l1 = mono44(9);
  MemoryStream in(l1, true);
  CMpegAudioStream s;
  int rate = 0, stereo = 0;
  ASSERT_EQ(s.open(&in, &rate, &stereo, true, 0, 0), 0);
  EXPECT_EQ(s.size(), 3 * 2304);
  std::vector<uint8_t> buf(3 * 2304);
  EXPECT_EQ(s.read(buf.data(), 3 * 2304), 3 * 2304);
  EXPECT_EQ(s.control(CMpegAudioStream::kControlAtEnd, nullptr, 0), 0);
  EXPECT_EQ(s.read(buf.data(), 1000), 1000) << "the flush frame";
  EXPECT_EQ(s.control(CMpegAudioStream::kControlAtEnd, nullptr, 0), 0) << "part of it is still held";
  EXPECT_EQ(s.read(buf.data(), 5000), 2304 - 1000);
  EXPECT_EQ(s.control(CMpegAudioStream::kControlAtEnd, nullptr, 0), 1);
  EXPECT_EQ(s.read(buf.data(), 5000), 0);
  EXPECT_EQ(s.control(2, nullptr, 0), 1) << "the base's end query asks the decoder";
}

// Bytes between frames change nothing: junk, frames of another rate, version or mode class, a
// cut frame is decoded as read and the search goes on.
TEST(MpegStructure, HeaderSearchSkipsWhatIsNotTheStream) {
  const Bytes a = mono44(6), b = mono44(6, 6);
  const Decoded plain = decode(mpawrite::concat({&a, &b}));
  ASSERT_EQ(plain.rc, 0);
  mpawrite::Layer1Params other;
  other.rateIndex = 1;
  const Bytes rate48 = mpa_test::layer1Stream(other, 1);
  other = {};
  other.version = 1;
  const Bytes mpeg2 = mpa_test::layer1Stream(other, 1);
  other = {};
  other.mode = 0;
  other.allocation = 2;
  const Bytes stereo = mpa_test::layer1Stream(other, 1);
  const Bytes junk = mpawrite::junk(777, 5);
  const Bytes ffRun(9, 0xFF);
  const Bytes badHeader = {0xFF, 0xFF, 0xF0, 0xC0};  // bit-rate index 15
  struct Case {
    const char* name;
    const Bytes* between;
  };
  const Case cases[] = {{"junk", &junk},          {"a 48 kHz frame", &rate48}, {"an MPEG-2 frame", &mpeg2},
                        {"a stereo frame", &stereo}, {"a run of 0xFF", &ffRun},   {"a forbidden bit rate", &badHeader}};
  for (const Case& c : cases) {
    const Decoded d = decode(mpawrite::concat({&a, c.between, &b}));
    ASSERT_EQ(d.rc, 0) << c.name;
    EXPECT_EQ(d.pcm, plain.pcm) << c.name;
  }
  // A last frame cut short decodes from what is there (zeros after), then the flush frame.
  const Bytes cut(a.begin(), a.end() - 100);
  const Decoded d = decode(cut);
  ASSERT_EQ(d.rc, 0);
  EXPECT_EQ(d.pcm.size(), 3u * 2304);
  EXPECT_TRUE(std::equal(d.pcm.begin(), d.pcm.begin() + 2304, plain.pcm.begin()));
}

Bytes readFrom(CMpegAudioStream& s, int64_t n) {
  Bytes out(static_cast<size_t>(n));
  out.resize(static_cast<size_t>(std::max<int64_t>(0, s.read(out.data(), n))));
  return out;
}

// Priming decodes the frame before the target, whose 36 slots refill the filter's history:
// the output equals the continuous decode. Without priming the frames after the target do.
TEST(MpegStructure, SeekMatchesTheContinuousDecode) {
  for (const bool floats : {false, true}) {
    const Bytes l1 = mono44(30);
    const Decoded whole = decode(l1, {!floats, 0, 0, true});
    ASSERT_EQ(whole.rc, 0);
    const int64_t fb = whole.frameBytes;
    for (const bool exact : {false, true}) {
      for (const int64_t at : {int64_t{0}, fb, 3 * fb + 40, 7 * fb, 8 * fb + fb / 2}) {
        MemoryStream in(l1, true);
        CMpegAudioStream s;
        int rate = 0, stereo = 0;
        ASSERT_EQ(s.open(&in, &rate, &stereo, !floats, 0, 0), 0);
        readFrom(s, 5 * fb + 7);  // somewhere else first
        EXPECT_EQ(s.control(CMpegAudioStream::kControlSetExactSeek, nullptr, exact), 0);
        EXPECT_EQ(s.control(CMpegAudioStream::kControlGetExactSeek, nullptr, 0), exact ? 1 : 0);
        ASSERT_EQ(s.seek(at), at);
        const Bytes got = readFrom(s, 2 * fb);
        const Bytes want(whole.pcm.begin() + at, whole.pcm.begin() + at + 2 * fb);
        // Unprimed, the first frame after the target decodes from an empty filter. The filter's
        // ring may stand elsewhere than in the continuous decode, which only reorders sums.
        const size_t from = exact ? static_cast<size_t>((at / fb + 1) * fb - at) : 0;
        ASSERT_EQ(got.size(), want.size());
        const Bytes gotTail(got.begin() + from, got.end()), wantTail(want.begin() + from, want.end());
        const auto d = floats ? mpa_test::difference(mpa_test::floats(gotTail), mpa_test::floats(wantTail))
                              : mpa_test::difference(mpa_test::shorts(gotTail), mpa_test::shorts(wantTail));
        EXPECT_LE(d.peak, floats ? 0.01 : 1.0) << "at " << at << (exact ? " exact" : " primed") << (floats ? " floats" : " shorts");
      }
    }
    // Past the end: clamped to the estimated size.
    MemoryStream in(l1, true);
    CMpegAudioStream s;
    int rate = 0, stereo = 0;
    ASSERT_EQ(s.open(&in, &rate, &stereo, !floats, 0, 0), 0);
    EXPECT_EQ(s.seek(1LL << 40), s.size());
  }
}

TEST(MpegStructure, SeekInsideTheHeldFramePeekAndExactSeekControl) {
  const Bytes l1 = mono44(12);
  const Decoded whole = decode(l1);
  MemoryStream in(l1, true);
  CMpegAudioStream s;
  int rate = 0, stereo = 0;
  ASSERT_EQ(s.open(&in, &rate, &stereo, true, 0, 0), 0);
  readFrom(s, 100);
  const int64_t inputAt = in.at;
  EXPECT_EQ(s.seek(1000), 1000);
  EXPECT_EQ(in.at, inputAt) << "a seek inside the held frame leaves the input alone";
  Bytes peeked(300);
  EXPECT_EQ(s.peek(peeked.data(), 300), 300);
  EXPECT_EQ(s.position(), 1000);
  const Bytes got = readFrom(s, 300);
  EXPECT_EQ(got, peeked);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.pcm.begin() + 1000));

  EXPECT_EQ(s.control(CMpegAudioStream::kControlSetExactSeek, nullptr, 5), 0);
  EXPECT_EQ(s.control(CMpegAudioStream::kControlSetExactSeek, nullptr, 0), 1);
  EXPECT_EQ(s.control(CMpegAudioStream::kControlGetExactSeek, nullptr, 0), 0);
  EXPECT_EQ(s.control(4, nullptr, 0), s.size()) << "other codes reach the base";
}

// Gain, matrix and equalisers through the controls; the per-line gains of layers I and II are
// averaged per sub-band.
TEST(MpegStructure, OutputControls) {
  const Bytes l1 = mono44(9);
  const Decoded plain = decode(l1, {false, 0, 2, true});
  auto withControl = [&](int code, const void* arg) {
    MemoryStream in(l1, true);
    CMpegAudioStream s;
    int rate = 0, stereo = 0;
    EXPECT_EQ(s.open(&in, &rate, &stereo, false, 0, 2), 0);
    // The first frame was decoded at open; controls act from the next one.
    Bytes out = readFrom(s, s.frameBytes());
    s.control(code, const_cast<void*>(arg), 0);
    const Bytes rest = readFrom(s, 1 << 20);
    out.insert(out.end(), rest.begin(), rest.end());
    return mpa_test::floats(out);
  };
  const auto base = mpa_test::floats(plain.pcm);
  const size_t first = static_cast<size_t>(plain.frameBytes / 4);
  const float two = 2.0f;
  const auto gained = withControl(CMpegAudioStream::kControlGain, &two);
  const auto reset = withControl(CMpegAudioStream::kControlGain, nullptr);
  const float halfLeft[9] = {1, 0, 0.5f, 0, 1, 1, 0.5f, 0.5f, 1};  // up-mix: left x m2
  const auto matrix = withControl(CMpegAudioStream::kControlMatrix, halfLeft);
  float lines[576];
  for (int i = 0; i < 576; ++i) lines[i] = (i % 18 < 9) ? 0.0f : 2.0f;  // each sub-band averages to 1
  const auto lineEq = withControl(CMpegAudioStream::kControlLineEqualiser, lines);
  float zeroEq[32] = {};
  const auto silent = withControl(CMpegAudioStream::kControlEqualiser, zeroEq);
  ASSERT_EQ(gained.size(), base.size());
  for (size_t i = first; i < base.size(); ++i) {
    ASSERT_EQ(reset[i], base[i]) << i;
    ASSERT_EQ(lineEq[i], base[i]) << i;
    ASSERT_EQ(matrix[i], (i % 2 == 0) ? 0.5f * base[i] : base[i]) << i;
  }
  // Gain and equaliser act on the sub-band samples: the first frame after the control still
  // carries the filter history of the frame before.
  for (size_t i = 2 * first; i < base.size(); ++i) {
    ASSERT_EQ(gained[i], 2.0f * base[i]) << i;
    ASSERT_EQ(silent[i], 0.0f) << i;
  }
}

}  // namespace

namespace {

// mpawrite's system streams carry the audio bytes unchanged through the demultiplexer, in
// every packet form; a malformed packet header ends the audio there.
TEST(MpegStructure, SystemStreamsFromTheWriterDecodeAsTheBareAudio) {
  const Bytes l1 = mono44(12);
  const Decoded bare = decode(l1);
  ASSERT_EQ(bare.rc, 0);
  struct Case {
    const char* name;
    mpawrite::SystemOptions o;
    bool whole;
  };
  auto opts = [](auto change) {
    mpawrite::SystemOptions o;
    o.packetPayload = 700;
    change(o);
    return o;
  };
  const Case cases[] = {
      {"plain packets", opts([](auto&) {}), true},
      {"foreign packets between", opts([](auto& o) { o.foreignPackets = true; }), true},
      {"a pack header before every packet", opts([](auto& o) { o.packEveryPacket = true; }), true},
      {"stuffing, buffer field, one time stamp",
       opts([](auto& o) { o.stuffing = 5, o.bufferField = true, o.timeStamps = 1; }), true},
      {"both time stamps", opts([](auto& o) { o.timeStamps = 2; }), true},
      {"a malformed fourth packet", opts([](auto& o) { o.badPacketAt = 3; }), false},
  };
  for (const Case& c : cases) {
    const Bytes sys = mpawrite::system_stream(l1, c.o);
    MemoryStream file(sys, true);
    audio::CMpegSystemStream demux;
    ASSERT_EQ(demux.open(&file, 0xC0, false), 0) << c.name;
    CMpegAudioStream s;
    int rate = 0, stereo = 0;
    ASSERT_EQ(s.open(&demux, &rate, &stereo, true, 0, 0), 0) << c.name;
    const Bytes pcm = readFrom(s, 1 << 20);
    if (c.whole) {
      EXPECT_EQ(pcm, bare.pcm) << c.name;
    } else {
      EXPECT_LT(pcm.size(), bare.pcm.size()) << c.name;
      EXPECT_TRUE(std::equal(pcm.begin(), pcm.begin() + 2304, bare.pcm.begin())) << c.name;
    }
  }
  mpawrite::SystemOptions noAudio;
  noAudio.listAudioInHeader = false;
  MemoryStream file(mpawrite::system_stream(l1, noAudio), true);
  audio::CMpegSystemStream demux;
  EXPECT_EQ(demux.open(&file, 0xC0, false), -1) << "a system header without stream 0xC0";
}

}  // namespace

namespace {

// On layer III the per-line gains reach the lines themselves, and the sub-band equaliser
// control switches them off again.
TEST(MpegStructure, Layer3EqualiserControlsReachTheLines) {
  if (!haveEncoders()) GTEST_SKIP() << "lame is needed (scripts/deps.sh installs it)";
  const std::string mp3 = l3_fixture::encode("eq_l3_44k_mono", 44100, 1, {"-m", "m", "-b", "96"}, 1.0);
  ASSERT_FALSE(mp3.empty());
  const Bytes bytes = l3_fixture::readFile(mp3);
  const Decoded plain = decode(bytes, {false, 0, 0, true});
  ASSERT_EQ(plain.rc, 0);
  const int64_t fb = plain.frameBytes;
  struct Case {
    const char* name;
    bool lineZero, thenOff;
  };
  const Case cases[] = {{"all line gains zero", true, false}, {"then the sub-band control", true, true}};
  for (const Case& c : cases) {
    MemoryStream in(bytes, true);
    CMpegAudioStream s;
    int rate = 0, stereo = 0;
    ASSERT_EQ(s.open(&in, &rate, &stereo, false, 0, 0), 0);
    Bytes out = readFrom(s, fb);
    const std::vector<float> zeros(576, 0.0f);
    s.control(CMpegAudioStream::kControlLineEqualiser, const_cast<float*>(zeros.data()), 0);
    if (c.thenOff) s.control(CMpegAudioStream::kControlEqualiser, nullptr, 0);
    const Bytes rest = readFrom(s, 1 << 22);
    out.insert(out.end(), rest.begin(), rest.end());
    ASSERT_EQ(out.size(), plain.pcm.size()) << c.name;
    // Two frames on, the overlap and the filter history hold only equalised lines.
    const auto got = mpa_test::floats(Bytes(out.begin() + 3 * fb, out.end()));
    const auto want = mpa_test::floats(Bytes(plain.pcm.begin() + 3 * fb, plain.pcm.end()));
    if (c.thenOff) {
      EXPECT_EQ(got, want) << c.name;
    } else {
      for (float v : got) ASSERT_EQ(v, 0.0f) << c.name;
    }
  }
}

}  // namespace

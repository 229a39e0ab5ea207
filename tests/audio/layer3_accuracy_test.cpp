// Layer III decodes of lame-made files against ffmpeg's floating-point decoder: the float output
// within the full-accuracy bounds, the 16-bit output within the limited-accuracy bound, seeking
// with the reservoir rebuilt, and the overlap tail of the last frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/mpeg/mpeg_audio_stream.h"
#include "tests/audio/lame_fixtures.h"
#include "tests/support/memory_stream.h"

namespace {

using audio::CMpegAudioStream;
using test_support::MemoryStream;

constexpr double kFullRms = 0.2887;   // 2^-15 / sqrt(12) of full scale, in 16-bit steps
constexpr double kFullPeak = 2.0;     // 2^-14
constexpr double kLimitedRms = 4.619;  // 2^-11 / sqrt(12)

struct Decoded {
  std::vector<float> samples;  // interleaved, 16-bit units
  int rate = 0, stereo = 0;
  int64_t frameBytes = 0;
};

// The whole file through the decoder stream, as floats or as 16-bit samples.
Decoded decodeFile(const std::vector<uint8_t>& bytes, bool bits16) {
  Decoded d;
  MemoryStream in(bytes, true);
  CMpegAudioStream s;
  if (s.open(&in, &d.rate, &d.stereo, bits16, 0, 0) != 0) return d;
  d.frameBytes = s.frameBytes();
  std::vector<uint8_t> buf(1 << 16);
  for (;;) {
    const int64_t n = s.read(buf.data(), static_cast<int64_t>(buf.size()));
    if (n <= 0) break;
    if (bits16) {
      for (int64_t i = 0; i + 1 < n; i += 2) {
        int16_t v;
        std::memcpy(&v, buf.data() + i, 2);
        d.samples.push_back(v);
      }
    } else {
      for (int64_t i = 0; i + 3 < n; i += 4) {
        float v;
        std::memcpy(&v, buf.data() + i, 4);
        d.samples.push_back(v);
      }
    }
  }
  s.close();
  return d;
}

struct Difference {
  double rms = 0, peak = 0;
};
Difference compare(const std::vector<float>& a, const std::vector<float>& b, size_t from = 0, size_t count = SIZE_MAX) {
  Difference d;
  const size_t end = std::min({a.size(), b.size(), count == SIZE_MAX ? SIZE_MAX : from + count});
  double sum = 0;
  for (size_t i = from; i < end; ++i) {
    const double e = static_cast<double>(a[i]) - b[i];
    sum += e * e;
    d.peak = std::max(d.peak, std::fabs(e));
  }
  if (end > from) d.rms = std::sqrt(sum / static_cast<double>(end - from));
  return d;
}

void dumpPair(const std::string& name, const Decoded& ours, const std::vector<float>& ref) {
  const char* folder = std::getenv("VELDRA_TEST_DUMP");
  if (!folder) return;
  auto toPcm = [](const std::vector<float>& f) {
    std::vector<int16_t> p(f.size());
    for (size_t i = 0; i < f.size(); ++i) p[i] = static_cast<int16_t>(std::clamp(std::lround(f[i]), -32768L, 32767L));
    return p;
  };
  const int ch = ours.stereo ? 2 : 1;
  l3_fixture::writeFile(std::string(folder) + "/" + name + ".ours.wav", l3_fixture::waveFile(toPcm(ours.samples), ours.rate, ch));
  l3_fixture::writeFile(std::string(folder) + "/" + name + ".ref.wav", l3_fixture::waveFile(toPcm(ref), ours.rate, ch));
}

struct Row {
  const char* name;
  int rate, channels;
  std::vector<std::string> lame;
};

class MpegAccuracy : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!l3_fixture::haveTool(l3_fixture::kLame) || !l3_fixture::haveTool(l3_fixture::kFfmpeg))
      GTEST_SKIP() << "lame and ffmpeg are needed (scripts/deps.sh installs them)";
  }
};

TEST_F(MpegAccuracy, Layer3FilesMatchTheReferenceDecoder) {
  const Row rows[] = {
      {"l3_mpeg1_32k_stereo", 32000, 2, {"-m", "s", "-b", "128"}},
      {"l3_mpeg1_44k_joint", 44100, 2, {"-m", "j", "-b", "128"}},
      {"l3_mpeg1_44k_joint_vbr", 44100, 2, {"-m", "j", "-V", "2"}},
      {"l3_mpeg1_44k_dual_crc", 44100, 2, {"-m", "d", "-b", "192", "-p"}},
      {"l3_mpeg1_48k_mono", 48000, 1, {"-m", "m", "-b", "64"}},
      {"l3_mpeg1_48k_stereo_320", 48000, 2, {"-m", "s", "-b", "320"}},
      {"l3_mpeg2_16k_mono", 16000, 1, {"-m", "m", "-b", "32"}},
      {"l3_mpeg2_22k_joint", 22050, 2, {"-m", "j", "-b", "64"}},
      {"l3_mpeg2_24k_stereo_vbr", 24000, 2, {"-m", "s", "-V", "4"}},
      {"l3_mpeg25_8k_mono", 8000, 1, {"-m", "m", "-b", "16"}},
      {"l3_mpeg25_11k_joint", 11025, 2, {"-m", "j", "-b", "32"}},
      {"l3_mpeg25_12k_stereo", 12000, 2, {"-m", "s", "-b", "48"}},
  };
  for (const Row& r : rows) {
    const std::string mp3 = l3_fixture::encode(r.name, r.rate, r.channels, r.lame);
    ASSERT_FALSE(mp3.empty()) << r.name;
    const std::vector<float> ref = l3_fixture::referenceDecode(mp3);
    ASSERT_FALSE(ref.empty()) << r.name;
    const std::vector<uint8_t> bytes = l3_fixture::readFile(mp3);
    const Decoded f = decodeFile(bytes, false);
    const Decoded i16 = decodeFile(bytes, true);
    ASSERT_EQ(f.rate, r.rate) << r.name;
    ASSERT_EQ(f.stereo, r.channels == 2 ? 1 : 0) << r.name;
    // Our decoder adds the flush frame at the end: compare the common length.
    ASSERT_GE(f.samples.size(), ref.size()) << r.name;
    const Difference df = compare(f.samples, ref);
    const Difference d16 = compare(i16.samples, ref);
    std::printf("%-26s float rms %.4f peak %.4f | 16-bit rms %.4f peak %.4f (steps)\n", r.name, df.rms, df.peak, d16.rms,
                d16.peak);
    EXPECT_LE(df.rms, kFullRms) << r.name;
    EXPECT_LE(df.peak, kFullPeak) << r.name;
    EXPECT_LE(d16.rms, kLimitedRms) << r.name;
    dumpPair(r.name, f, ref);
  }
}

TEST_F(MpegAccuracy, Layer3SeekRebuildsTheReservoirAndEndsWithTheOverlapTail) {
  const std::string mp3 = l3_fixture::encode("l3_seek_44k_joint", 44100, 2, {"-m", "j", "-b", "96"});
  ASSERT_FALSE(mp3.empty());
  const std::vector<uint8_t> bytes = l3_fixture::readFile(mp3);
  const Decoded whole = decodeFile(bytes, false);
  ASSERT_GT(whole.frameBytes, 0);
  const size_t perFrame = static_cast<size_t>(whole.frameBytes / 4);
  const size_t frames = whole.samples.size() / perFrame;
  ASSERT_GT(frames, 40u);

  // The last frame is the overlap tail of the signal's loud ending: not silent.
  double tail = 0;
  for (size_t i = (frames - 1) * perFrame; i < frames * perFrame; ++i) tail = std::max(tail, std::fabs(double(whole.samples[i])));
  EXPECT_GT(tail, 1.0);

  for (bool exact : {false, true}) {
    for (size_t k : {size_t{1}, size_t{2}, size_t{30}, frames - 5}) {
      MemoryStream in(bytes, true);
      CMpegAudioStream s;
      int rate = 0, stereo = 0;
      ASSERT_EQ(s.open(&in, &rate, &stereo, false, 0, 0), 0);
      s.control(CMpegAudioStream::kControlSetExactSeek, nullptr, exact ? 1 : 0);
      const int64_t at = static_cast<int64_t>(k * perFrame * 4);
      ASSERT_EQ(s.seek(at), at) << k;
      std::vector<float> got(3 * perFrame);
      const int64_t n = s.read(got.data(), static_cast<int64_t>(got.size() * 4));
      got.resize(static_cast<size_t>(std::max<int64_t>(n, 0)) / 4);
      // Primed seeks match from the target frame; exact seeks once the frame after it starts.
      const size_t skip = exact ? perFrame : 0;
      std::vector<float> want(whole.samples.begin() + static_cast<std::ptrdiff_t>(k * perFrame),
                              whole.samples.begin() + static_cast<std::ptrdiff_t>(std::min(whole.samples.size(), (k + 3) * perFrame)));
      ASSERT_EQ(got.size(), want.size()) << k;
      const Difference d = compare(got, want, skip);
      EXPECT_LE(d.rms, kFullRms) << "frame " << k << (exact ? " exact" : " primed");
      EXPECT_LE(d.peak, kFullPeak) << "frame " << k << (exact ? " exact" : " primed");
    }
  }
}

}  // namespace

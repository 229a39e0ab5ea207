// The parts of the MPEG audio decoder on their own: header rules, the bit reader's bounds, the
// layer II table choice, layer I against the writer's quantisation, the synthesis window and
// transform, and the output stage (mixing, gain, equalisers, rate reduction, conversion).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/mpa_layer12.h"
#include "audio/mpeg/mpa_synth.h"
#include "tests/audio/mpa_decode_util.h"

namespace {

using mpa::FrameHeader;

TEST(MpegUnits, HeaderWordsAreJudgedByTheirFields) {
  struct Case {
    uint32_t word;
    bool valid;
    const char* what;
  };
  const Case cases[] = {
      {0xFFFB9064, true, "MPEG-1 layer III 128 kbit/s 44.1 kHz"},
      {0xFFFDA000, true, "MPEG-1 layer II"},
      {0xFFFFE0C0, true, "MPEG-1 layer I without CRC (second byte 0xFF)"},
      {0xFFE38000, true, "MPEG-2.5 layer III"},
      {0xFFE58000, false, "MPEG-2.5 layer II"},
      {0xFFEB9000, false, "reserved version"},
      {0xFFF99000, false, "reserved layer"},
      {0xFFFB0000, false, "free format"},
      {0xFFFBF000, false, "bit-rate index 15"},
      {0xFFFB9C00, false, "sample-rate index 3"},
      {0xFFDB9000, false, "sync short of 11 bits"},
  };
  for (const Case& c : cases) EXPECT_EQ(mpa::header_word_valid(c.word), c.valid) << c.what;

  const FrameHeader ref = mpa::header_from_word(0xFFFB9044);  // joint stereo
  FrameHeader h = mpa::header_from_word(0xFFFBA004);          // stereo, other bit rate
  EXPECT_TRUE(mpa::header_accepts(ref, h)) << "joint stereo and stereo share a mode class";
  h = mpa::header_from_word(0xFFFBA0C4);
  EXPECT_FALSE(mpa::header_accepts(ref, h)) << "single channel is another class";
  h = mpa::header_from_word(0xFFFBA404);
  EXPECT_FALSE(mpa::header_accepts(ref, h)) << "another sample rate";
  EXPECT_EQ(mpa::header_sample_rate(mpa::header_from_word(0xFFE38000)), 11025);
  EXPECT_EQ(mpa::header_bitrate_kbps(mpa::header_from_word(0xFFFB9000)), 128);
}

TEST(MpegUnits, TableSquareRootGoesThroughTheInstalledRoutine) {
  mpa::set_sqrt([](float x) { return x + 1.0f; });
  EXPECT_EQ(mpa::table_sqrt(4.0f), 5.0f);
  mpa::set_sqrt(nullptr);
  EXPECT_EQ(mpa::table_sqrt(4.0f), 2.0f);
}

// Reads past the bytes held see zeros, and positions before the start or far beyond the end
// never reach memory outside the buffer.
TEST(MpegUnits, BitReaderReadsZerosOutsideTheBytesHeld) {
  std::vector<uint8_t> mem = {0xAB, 0xCD, 0xEF, 0x12};
  int64_t pos = 0;
  mpa::BitReader rd{mem.data(), &pos, 2};
  struct Case {
    int64_t at;
    int n;
    uint32_t want;
  };
  const Case cases[] = {
      {0, 16, 0xABCD}, {4, 8, 0xBC}, {8, 16, 0xCD00}, {12, 8, 0xD0}, {16, 16, 0},
      {1 << 20, 24, 0}, {std::numeric_limits<int64_t>::max() / 4, 25, 0}, {-64, 16, 0}, {-8, 16, 0x00AB},
  };
  for (const Case& c : cases) {
    pos = c.at;
    EXPECT_EQ(rd.bits(c.n), c.want) << "at " << c.at;
    EXPECT_EQ(pos, c.at + c.n);
  }
  pos = 0;
  EXPECT_EQ(rd.bits(0), 0u);
  EXPECT_EQ(pos, 0);
}

TEST(MpegUnits, Layer2TableFollowsRateAndBitRatePerChannel) {
  struct Case {
    uint32_t word;
    mpa_tables::Layer2Table table;
    int subbands;
  };
  const Case cases[] = {
      {0xFFFD8400, mpa_tables::Layer2Table::A, 27},    // 48 kHz 128 kbit/s stereo
      {0xFFFD4800, mpa_tables::Layer2Table::D, 12},    // 32 kHz 64 kbit/s stereo
      {0xFFFDA000, mpa_tables::Layer2Table::B, 30},    // 44.1 kHz 192 kbit/s stereo
      {0xFFFD5000, mpa_tables::Layer2Table::C, 8},     // 44.1 kHz 80 kbit/s stereo (40 a channel)
      {0xFFFD50C0, mpa_tables::Layer2Table::A, 27},    // the same rate mono: 80 a channel
      {0xFFF58000, mpa_tables::Layer2Table::Lsf, 30},  // MPEG-2
  };
  for (const Case& c : cases) {
    const FrameHeader h = mpa::header_from_word(c.word);
    EXPECT_EQ(mpa::layer2_table(h), c.table) << std::hex << c.word;
    EXPECT_EQ(mpa_tables::layer2_subbands(mpa::layer2_table(h)), c.subbands) << std::hex << c.word;
  }
}

// Layer I frames from the writer decode to exactly its dequantised values, in every mode;
// joint stereo shares one sample per slot from the bound on, scaled by each channel's factor.
TEST(MpegUnits, Layer1DecodesTheWritersQuantisation) {
  struct Case {
    int mode, modeExt, allocation, subbands;
    bool crc;
  };
  const Case cases[] = {{3, 0, 7, 32, false}, {0, 0, 2, 32, true}, {1, 0, 3, 24, false},
                        {1, 2, 3, 20, false}, {2, 0, 3, 16, false}};
  for (const Case& c : cases) {
    mpawrite::Layer1Params p;
    p.mode = c.mode;
    p.modeExt = c.modeExt;
    p.allocation = c.allocation;
    p.subbands = c.subbands;
    p.crc = c.crc;
    static float s[3][2][12][32];
    std::mt19937 rng(c.mode * 10 + c.modeExt);
    std::uniform_real_distribution<float> u(-0.9f, 0.9f);
    std::vector<uint8_t> bytes;
    for (auto& frame : s) {
      for (auto& ch : frame)
        for (auto& slot : ch)
          for (float& v : slot) v = u(rng);
      const auto f = mpawrite::layer1_frame(p, frame);
      bytes.insert(bytes.end(), f.begin(), f.end());
    }
    mpa_test::BytesFrameSource src(bytes);
    ASSERT_TRUE(src.nextHeader());
    static mpa::SubbandFrame out;
    mpa::layer1_decode(src, out);
    EXPECT_EQ(src.reader().position(), static_cast<int64_t>(bytes.size()) * 8) << "ends at the third frame's end";
    const int nch = c.mode == 3 ? 1 : 2;
    for (int f = 0; f < 3; ++f) {
      float want[2][12][32];
      mpawrite::layer1_dequantised(p, s[f], want);
      for (int ch = 0; ch < nch; ++ch)
        for (int t = 0; t < 12; ++t)
          for (int sb = 0; sb < 32; ++sb)
            ASSERT_NEAR(out.s[ch][12 * f + t][sb], want[ch][t][sb], 1e-6f)
                << "mode " << c.mode << " frame " << f << " ch " << ch << " slot " << t << " sb " << sb;
    }
  }
}

TEST(MpegUnits, Layer1StreamEndingAfterOneFrameGivesZerosForTheRest) {
  mpawrite::Layer1Params p;
  const auto bytes = mpa_test::layer1Stream(p, 1, 0.5);
  mpa_test::BytesFrameSource src(bytes);
  ASSERT_TRUE(src.nextHeader());
  static mpa::SubbandFrame out;
  for (auto& ch : out.s)
    for (auto& slot : ch)
      for (float& v : slot) v = 9.0f;
  mpa::layer1_decode(src, out);
  float first = 0;
  for (int t = 0; t < 12; ++t) first = std::max(first, std::fabs(out.s[0][t][0]));
  EXPECT_GT(first, 0.01f);
  for (int ch = 0; ch < 2; ++ch)
    for (int t = 12; t < 36; ++t)
      for (int sb = 0; sb < 32; ++sb) ASSERT_EQ(out.s[ch][t][sb], 0.0f) << "slot " << t;
}

TEST(MpegUnits, WindowPeakAndTransform) {
  const mpa::SynthTables& t = mpa::synth_tables();
  EXPECT_NEAR(std::fabs(t.window[8]), 37519.0f, 0.5f);
  EXPECT_NEAR(t.window[0], 0.0f, 1e-3f);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(t.quarter[i], t.window[i % 32 + 4 * (i - i % 32)]);

  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(-1000.0f, 1000.0f);
  for (int n : {32, 16, 8}) {
    float x[32], X[32];
    for (float& v : x) v = u(rng);
    mpa::synth_dct(x, X, n);
    for (int m = 0; m < n; ++m) {
      double want = 0;
      for (int k = 0; k < n; ++k) want += std::cos(m * (2 * k + 1) * std::numbers::pi / (2 * n)) * x[k];
      EXPECT_NEAR(X[m], want, 0.05) << "n " << n << " m " << m;
    }
  }
}

// ---- the output stage ---------------------------------------------------------------------

struct SynthRun {
  std::vector<uint8_t> bytes;
  int64_t frameBytes = 0;
};

void fill(mpa::SubbandFrame& f, uint32_t seed, float level) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-level, level);
  for (auto& ch : f.s)
    for (auto& slot : ch)
      for (float& v : slot) v = u(rng);
}

// Two decoder frames of the given sub-band frames through a configured synthesis.
template <typename Setup>
SynthRun synthesise(int requested, int streamChannels, int shift, int bytesPerSample, const mpa::SubbandFrame& a,
               const mpa::SubbandFrame& b, Setup setup) {
  mpa::Synthesis syn;
  syn.configure(requested, streamChannels, shift, bytesPerSample);
  setup(syn);
  SynthRun r;
  r.frameBytes = syn.frameBytes();
  r.bytes.assign(static_cast<size_t>(2 * r.frameBytes + 64), 0xEE);
  static mpa::SubbandFrame work;
  work = a;
  EXPECT_EQ(syn.run(work, r.bytes.data()), r.frameBytes);
  work = b;
  EXPECT_EQ(syn.run(work, r.bytes.data() + r.frameBytes), r.frameBytes);
  for (size_t i = static_cast<size_t>(2 * r.frameBytes); i < r.bytes.size(); ++i) EXPECT_EQ(r.bytes[i], 0xEE);
  r.bytes.resize(static_cast<size_t>(2 * r.frameBytes));
  return r;
}
const auto kNoSetup = [](mpa::Synthesis&) {};

std::vector<float> channel(const std::vector<float>& interleaved, int channels, int c) {
  std::vector<float> out;
  for (size_t i = static_cast<size_t>(c); i < interleaved.size(); i += static_cast<size_t>(channels)) out.push_back(interleaved[i]);
  return out;
}

// The filter bank written the long way: the 64-point matrixing into a 1024-value shift
// register and the 512-tap window, whose taps are the generated window's prototype (32768
// times the standard's window) with the sign turning every 64 taps, positive at the peak.
// Output is in 16-bit units.
class DirectSynthesis {
 public:
  DirectSynthesis() {
    const double a5 = -0.34171220660209656f, a6 = 0.08663075417280197f, a7 = -0.008497290313243866f;
    const double c[8] = {0.5, -std::sqrt(1 - a7 * a7), std::sqrt(1 - a6 * a6), -std::sqrt(1 - a5 * a5),
                         std::sqrt(0.5), a5, a6, a7};
    for (int p = 0; p < 512; ++p) {
      double h = 0;
      for (int k = 0; k < 8; ++k) h += c[k] * std::cos(p * k * std::numbers::pi / 256.0);
      d_[p] = 8192.0 * h * ((p / 64) % 2 ? -1.0 : 1.0);
    }
  }
  void slot(const float* s, double* out) {
    for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
    for (int i = 0; i < 64; ++i) {
      double sum = 0;
      for (int k = 0; k < 32; ++k) sum += std::cos((16 + i) * (2 * k + 1) * std::numbers::pi / 64.0) * s[k];
      v_[i] = sum;
    }
    for (int j = 0; j < 32; ++j) {
      double sum = 0;
      for (int i = 0; i < 8; ++i) sum += v_[128 * i + j] * d_[64 * i + j] + v_[128 * i + 96 + j] * d_[64 * i + 32 + j];
      out[j] = sum;
    }
  }

 private:
  double d_[512];
  double v_[1024] = {};
};

// The fast transform, the ring of history and the folded window sums together are the direct
// filter bank exactly, sign included: a positive-going input gives a positive-going output.
TEST(MpegUnits, FilterBankIsTheDirectPolyphaseSynthesis) {
  static mpa::SubbandFrame a, b;
  fill(a, 11, 0.25f);
  fill(b, 12, 0.25f);
  for (int t = 0; t < 36; ++t) b.s[1][t][0] += 0.5f;  // a steady offset in the right channel
  const SynthRun run = synthesise(2, 2, 0, 4, a, b, kNoSetup);
  const auto got = mpa_test::floats(run.bytes);
  for (int ch = 0; ch < 2; ++ch) {
    DirectSynthesis direct;
    double worst = 0;
    for (int f = 0; f < 2; ++f) {
      const mpa::SubbandFrame& in = f == 0 ? a : b;
      for (int t = 0; t < 36; ++t) {
        double want[32];
        direct.slot(in.s[ch][t], want);
        for (int j = 0; j < 32; ++j) {
          const float have = got[static_cast<size_t>(2 * (1152 * f + 32 * t + j) + ch)];
          worst = std::max(worst, std::fabs(have - want[j]));
        }
      }
    }
    EXPECT_LT(worst, 0.25) << "channel " << ch;  // float rounding of sums near 2^15
  }
  // Each rate keeps the polarity: a steady positive sub-band 0 settles on a positive output.
  static mpa::SubbandFrame dc;
  std::memset(&dc, 0, sizeof dc);
  for (int t = 0; t < 36; ++t) dc.s[0][t][0] = dc.s[1][t][0] = 0.5f;
  for (int shift : {0, 1, 2}) {
    const auto out = mpa_test::floats(synthesise(1, 1, shift, 4, dc, dc, kNoSetup).bytes);
    for (size_t i = out.size() / 2; i < out.size(); ++i) ASSERT_GT(out[i], 8000.0f) << "shift " << shift << " sample " << i;
  }
}

TEST(MpegUnits, ShiftsGiveFewerSamplesAndZerosGiveExactZeros) {
  static mpa::SubbandFrame noise, zeros;
  fill(noise, 1, 100.0f);
  std::memset(&zeros, 0, sizeof zeros);
  for (int shift : {0, 1, 2}) {
    // Two channels of 16-bit samples: 1152 >> shift per channel.
    const SynthRun r = synthesise(0, 2, shift, 2, noise, zeros, kNoSetup);
    EXPECT_EQ(r.frameBytes, (1152 >> shift) * 4) << shift;
    // The history of 16 slots has drained well before the zero frame's last slots.
    const auto tail = mpa_test::shorts(std::vector<uint8_t>(r.bytes.end() - r.frameBytes / 2, r.bytes.end()));
    for (float v : tail) ASSERT_EQ(v, 0.0f) << "shift " << shift;
  }
  const SynthRun z = synthesise(0, 2, 0, 4, zeros, zeros, kNoSetup);
  for (float v : mpa_test::floats(z.bytes)) ASSERT_EQ(v, 0.0f);
}

TEST(MpegUnits, FullScaleSineClipsInShortsAndNotInFloats) {
  static mpa::SubbandFrame sine;
  std::memset(&sine, 0, sizeof sine);
  for (int t = 0; t < 36; ++t) sine.s[0][t][0] = sine.s[1][t][0] = 2.0f * static_cast<float>(std::sin(t * 0.4));
  const SynthRun s16 = synthesise(0, 2, 0, 2, sine, sine, kNoSetup);
  const SynthRun f32 = synthesise(0, 2, 0, 4, sine, sine, kNoSetup);
  const auto a = mpa_test::shorts(s16.bytes);
  const auto b = mpa_test::floats(f32.bytes);
  EXPECT_EQ(*std::max_element(a.begin(), a.end()), 32767.0f);
  EXPECT_EQ(*std::min_element(a.begin(), a.end()), -32768.0f);
  EXPECT_GT(*std::max_element(b.begin(), b.end()), 32768.0f);
  EXPECT_LT(*std::min_element(b.begin(), b.end()), -32769.0f);
}

TEST(MpegUnits, FloatToShortClampsBeforeTruncating) {
  struct Case {
    float in;
    int16_t out;
  };
  const Case cases[] = {{0.9f, 0},         {-0.9f, 0},         {1.5f, 1},          {-1.5f, -1},
                        {32767.9f, 32767}, {-32768.5f, -32768}, {1e20f, 32767},   {-1e20f, -32768},
                        {std::numeric_limits<float>::infinity(), 32767},
                        {-std::numeric_limits<float>::infinity(), -32768},
                        {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const Case& c : cases) EXPECT_EQ(mpa::pcm16(c.in), c.out) << c.in;
}

// Mixing, gain and equaliser, each against a plain synthesis of inputs changed to match.
TEST(MpegUnits, MixingGainAndEqualiserMatchChangedInputs) {
  static mpa::SubbandFrame a, b;
  fill(a, 11, 300.0f);
  fill(b, 12, 300.0f);
  const auto plain = mpa_test::floats(synthesise(0, 2, 0, 4, a, b, kNoSetup).bytes);

  // Down-mix to one channel and up-mix -2 both carry the average.
  static mpa::SubbandFrame avgA, avgB;
  for (int t = 0; t < 36; ++t)
    for (int k = 0; k < 32; ++k) {
      avgA.s[0][t][k] = (a.s[0][t][k] + a.s[1][t][k]) * 0.5f;
      avgB.s[0][t][k] = (b.s[0][t][k] + b.s[1][t][k]) * 0.5f;
    }
  const auto average = mpa_test::floats(synthesise(0, 1, 0, 4, avgA, avgB, kNoSetup).bytes);
  EXPECT_EQ(mpa_test::floats(synthesise(1, 2, 0, 4, a, b, kNoSetup).bytes), average);
  const auto both = mpa_test::floats(synthesise(-2, 2, 0, 4, a, b, kNoSetup).bytes);
  EXPECT_EQ(channel(both, 2, 0), average);
  EXPECT_EQ(channel(both, 2, 1), average);

  // A mono stream with two output channels writes each sample twice.
  const auto mono = mpa_test::floats(synthesise(0, 1, 0, 4, a, b, kNoSetup).bytes);
  const auto twice = mpa_test::floats(synthesise(2, 1, 0, 4, a, b, kNoSetup).bytes);
  EXPECT_EQ(channel(twice, 2, 0), mono);
  EXPECT_EQ(channel(twice, 2, 1), mono);

  // The neutral matrix is off; a swapping matrix swaps the channels.
  const float neutral[9] = {1, 0, 1, 0, 1, 1, 0.5f, 0.5f, 1};
  EXPECT_EQ(mpa_test::floats(synthesise(0, 2, 0, 4, a, b, [&](mpa::Synthesis& s) { s.setMatrix(neutral); }).bytes), plain);
  const float swap[9] = {0, 1, 1, 1, 0, 1, 0.5f, 0.5f, 1};
  const auto swapped = mpa_test::floats(synthesise(0, 2, 0, 4, a, b, [&](mpa::Synthesis& s) { s.setMatrix(swap); }).bytes);
  EXPECT_EQ(channel(swapped, 2, 0), channel(plain, 2, 1));
  EXPECT_EQ(channel(swapped, 2, 1), channel(plain, 2, 0));
  // Up-mix with a matrix: the left column m2, the right m5.
  const float upm[9] = {1, 0, 0.5f, 0, 1, -1, 0.5f, 0.5f, 1};
  const auto up = mpa_test::floats(synthesise(2, 1, 0, 4, a, b, [&](mpa::Synthesis& s) { s.setMatrix(upm); }).bytes);
  for (size_t i = 0; i < mono.size(); ++i) {
    ASSERT_EQ(up[2 * i], 0.5f * mono[i]);
    ASSERT_EQ(up[2 * i + 1], -mono[i]);
  }

  // Gain 0.5 halves every value exactly.
  const float half = 0.5f;
  const auto gained = mpa_test::floats(synthesise(0, 2, 0, 4, a, b, [&](mpa::Synthesis& s) { s.setGain(&half); }).bytes);
  for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(gained[i], plain[i] * 0.5f);

  // An equaliser that keeps only sub-band 3 equals an input holding only sub-band 3; all ones is
  // off; at shift 1 the gains are averaged in pairs (0 and 2 give 1: unchanged).
  float only3[32] = {};
  only3[3] = 1.0f;
  static mpa::SubbandFrame a3, b3;
  std::memset(&a3, 0, sizeof a3);
  std::memset(&b3, 0, sizeof b3);
  for (int ch = 0; ch < 2; ++ch)
    for (int t = 0; t < 36; ++t) a3.s[ch][t][3] = a.s[ch][t][3], b3.s[ch][t][3] = b.s[ch][t][3];
  EXPECT_EQ(mpa_test::floats(synthesise(0, 2, 0, 4, a, b, [&](mpa::Synthesis& s) { s.setEqualiser(only3); }).bytes),
            mpa_test::floats(synthesise(0, 2, 0, 4, a3, b3, kNoSetup).bytes));
  float ones[32], pairs[32];
  for (int i = 0; i < 32; ++i) ones[i] = 1.0f, pairs[i] = (i & 1) ? 2.0f : 0.0f;
  EXPECT_EQ(mpa_test::floats(synthesise(0, 2, 0, 4, a, b, [&](mpa::Synthesis& s) { s.setEqualiser(ones); }).bytes), plain);
  EXPECT_EQ(mpa_test::floats(synthesise(0, 2, 1, 4, a, b, [&](mpa::Synthesis& s) { s.setEqualiser(pairs); }).bytes),
            mpa_test::floats(synthesise(0, 2, 1, 4, a, b, kNoSetup).bytes));
}

}  // namespace

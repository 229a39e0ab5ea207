// Layer III stages against direct double-precision formulas: the Huffman walks, the reordering
// maps, requantisation, the inverse MDCT of each block type, alias reduction, mid/side and
// intensity stereo, the per-line equaliser and the overlap tail of the flush.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "audio/mpeg/layer3.h"
#include "audio/mpeg/layer3_stages.h"
#include "audio/mpeg/layer3_tables.h"
#include "audio/mpeg/tables/mpa_tables.h"
#include "tests/audio/layer3_frames.h"

namespace {

using namespace mpa;
constexpr double kPi = std::numbers::pi;

std::unique_ptr<Layer3State> stateFor(int rate) {
  auto st = std::make_unique<Layer3State>();
  FrameHeader h;
  h.layer = kLayer3;
  h.version = rate >= 32000 ? kMpeg1 : rate >= 16000 ? kMpeg2 : kMpeg25;
  h.rateIndex = (rate == 44100 || rate == 22050 || rate == 11025) ? 0 : (rate == 48000 || rate == 24000 || rate == 12000) ? 1 : 2;
  layer3_open(*st, h);
  return st;
}

// Walks an array tree by its documented rule over a code word, from node `p` with `*used` bits
// already read; the leaf, and bits used.
int walkTree(const std::vector<int16_t>& nodes, uint32_t bits, int length, int* used, int p = 0) {
  if (p == 0) *used = 0;
  while (nodes.at(static_cast<size_t>(p)) < 0) {
    const int skip = -nodes[static_cast<size_t>(p)];
    const int bit = *used < length ? static_cast<int>((bits >> (length - 1 - *used)) & 1u) : 0;
    ++*used;
    p += 1 + (bit ? skip : 0);
  }
  return nodes[static_cast<size_t>(p)];
}

TEST(MpegUnits, Layer3HuffmanTreesDecodeEveryCodeOfEveryTable) {
  for (int t = 0; t < 34; ++t) {
    const L3HuffTree tree = layer3_build_tree(t);
    const auto table = mpa_tables::huffman(t);
    EXPECT_EQ(tree.linbits, table.linbits) << t;
    if (table.codes.empty()) {
      EXPECT_TRUE(tree.nodes.empty()) << t;
      continue;
    }
    // A complete code: one leaf per code and one branch fewer.
    EXPECT_EQ(tree.nodes.size(), 2 * table.codes.size() - 1) << t;
    for (const auto& c : table.codes) {
      int used = 0;
      const int leaf = walkTree(tree.nodes, c.bits, c.length, &used);
      EXPECT_EQ(leaf, c.x << 4 | c.y) << "table " << t << " code length " << int(c.length);
      EXPECT_EQ(used, c.length) << t;
      // The lookup of the code's first bits, whatever bits follow the code, ends at the same leaf.
      for (const uint32_t after : {0u, ~0u}) {
        const int shift = kL3HuffLookupBits - c.length;
        const uint32_t prefix = (shift >= 0 ? c.bits << shift | (after & ((1u << shift) - 1)) : c.bits >> -shift) &
                                ((1u << kL3HuffLookupBits) - 1);
        const uint32_t e = tree.lookup.at(prefix);
        int lookupUsed = static_cast<int>(e & 31u);
        int lookupLeaf = static_cast<int>(e >> 16);
        if (!(e & kL3HuffLeaf)) lookupLeaf = walkTree(tree.nodes, c.bits, c.length, &lookupUsed, lookupLeaf);
        EXPECT_EQ(lookupLeaf, c.x << 4 | c.y) << "table " << t << " code length " << int(c.length);
        EXPECT_EQ(lookupUsed, c.length) << t;
      }
    }
  }
  // The shared tables carry the same trees.
  const Layer3Tables& T = layer3_tables();
  EXPECT_EQ(T.huff[24].nodes, layer3_build_tree(31).nodes);
  EXPECT_EQ(T.huff[24].linbits, 4);
  EXPECT_EQ(T.huff[31].linbits, 13);
}

TEST(MpegUnits, Layer3ReorderMapsPlaceTheWindowsOfAFrequencySideBySide) {
  struct Case {
    int rate;
    int mixedLines;
  };
  const Case cases[] = {{44100, 36}, {48000, 36}, {32000, 36}, {22050, 36}, {24000, 36},
                        {16000, 36}, {11025, 36}, {12000, 36}, {8000, 72}};
  for (const Case& c : cases) {
    auto st = stateFor(c.rate);
    EXPECT_EQ(st->mixedLines, c.mixedLines) << c.rate;
    const auto bands = mpa_tables::scalefactor_bands(c.rate, true);
    ASSERT_EQ(bands.size(), 13u);
    for (int m = 0; m < 3; ++m) {
      std::vector<int> seen(kL3Lines, 0);
      for (int i = 0; i < kL3Lines; ++i) ++seen.at(st->reorder[m][i]);
      for (int i = 0; i < kL3Lines; ++i) ASSERT_EQ(seen[i], 1) << "map " << m << " rate " << c.rate << " position " << i;
    }
    for (const auto& b : bands) {
      const int width = b.end - b.start;
      for (int w = 0; w < 3; ++w)
        for (int i = 0; i < width; ++i) {
          const int from = 3 * b.start + w * width + i;
          const int to = 3 * b.start + w + 3 * i;
          EXPECT_EQ(st->reorder[0][from], from);
          EXPECT_EQ(st->reorder[1][from], to) << c.rate;
          EXPECT_EQ(st->reorder[2][from], from < c.mixedLines ? from : to) << c.rate;
        }
    }
  }
}

double windowRef(int blockType, int i) {
  auto longW = [](int k) { return std::sin(kPi / 36 * (k + 0.5)); };
  auto shortW = [](int k) { return std::sin(kPi / 12 * (k + 0.5)); };
  switch (blockType) {
    case 0:
      return longW(i);
    case 1:
      return i < 18 ? longW(i) : i < 24 ? 1.0 : i < 30 ? shortW(i - 18) : 0.0;
    case 3:
      return i < 6 ? 0.0 : i < 12 ? shortW(i - 6) : i < 18 ? 1.0 : longW(i);
    default:
      return shortW(i);
  }
}

// x[i] = sum X[k] cos(pi / (2n) (2i + 1 + n/2) (2k + 1)), n outputs.
std::vector<double> imdctRef(const std::vector<double>& X, int n) {
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    double s = 0;
    for (int k = 0; k < n / 2; ++k) s += X[static_cast<size_t>(k)] * std::cos(kPi / (2 * n) * (2 * i + 1 + n / 2) * (2 * k + 1));
    x[static_cast<size_t>(i)] = s;
  }
  return x;
}

TEST(MpegUnits, Layer3InverseMdctOfEachBlockTypeMatchesTheDirectFormula) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  for (int blockType : {0, 1, 2, 3}) {
    for (int round = 0; round < 4; ++round) {
      float in[18], overlap[18], out[18];
      for (float& v : in) v = u(rng);
      for (float& v : overlap) v = u(rng);
      std::vector<double> full(36, 0.0);
      if (blockType == 2) {
        for (int w = 0; w < 3; ++w) {
          std::vector<double> X(6);
          for (int k = 0; k < 6; ++k) X[static_cast<size_t>(k)] = in[3 * k + w];
          const std::vector<double> z = imdctRef(X, 12);
          for (int i = 0; i < 12; ++i) full[static_cast<size_t>(6 + 6 * w + i)] += z[static_cast<size_t>(i)] * windowRef(2, i);
        }
      } else {
        const std::vector<double> x = imdctRef(std::vector<double>(in, in + 18), 36);
        for (int i = 0; i < 36; ++i) full[static_cast<size_t>(i)] = x[static_cast<size_t>(i)] * windowRef(blockType, i);
      }
      const std::vector<float> before(overlap, overlap + 18);
      if (blockType == 2) {
        l3_imdct_short(in, overlap, out);
      } else {
        l3_imdct_long(in, blockType, overlap, out);
      }
      for (int i = 0; i < 18; ++i) {
        EXPECT_NEAR(out[i], full[static_cast<size_t>(i)] + before[static_cast<size_t>(i)], 2e-5) << blockType << " " << i;
        EXPECT_NEAR(overlap[i], full[static_cast<size_t>(18 + i)], 2e-5) << blockType << " " << i;
      }
    }
  }
}

TEST(MpegUnits, Layer3RequantisationMatchesTheDoublePrecisionFormula) {
  struct Case {
    const char* name;
    int blockType, mixed, globalGain, scale, preflag;
    int subblock[3];
  };
  const Case cases[] = {
      {"long, unit gain", 0, 0, 210, 0, 0, {0, 0, 0}},
      {"long, pre-emphasis and coarse steps", 0, 0, 150, 1, 1, {0, 0, 0}},
      {"short with subblock gains", 2, 0, 180, 0, 0, {1, 3, 7}},
      {"mixed, pre-emphasis", 2, 1, 200, 1, 1, {2, 0, 5}},
  };
  for (const Case& c : cases) {
    auto st = stateFor(44100);
    L3Granule g;
    g.blockType = c.blockType;
    g.windowSwitching = c.blockType == 2;
    g.mixed = c.mixed;
    g.globalGain = c.globalGain;
    g.scalefacScale = c.scale;
    g.preflag = c.preflag;
    for (int w = 0; w < 3; ++w) g.subblockGain[w] = c.subblock[w] * 4;
    for (int b = 0; b < 21; ++b) st->sf[0].l[b] = static_cast<uint8_t>((b * 5) % 16);
    for (int b = 0; b < 12; ++b)
      for (int w = 0; w < 3; ++w) st->sf[0].s[b][w] = static_cast<uint8_t>((b + 3 * w) % 16);
    std::vector<double> raw(kL3Lines);
    for (int i = 0; i < kL3Lines; ++i) {
      raw[static_cast<size_t>(i)] = (i % 3 == 1 ? -1.0 : 1.0) * std::pow(i % 9, 4.0 / 3.0);
      st->lines[0][i] = static_cast<float>(raw[static_cast<size_t>(i)]);
    }
    st->nonzeroEnd[0] = kL3Lines;
    l3_requantise(*st, g, 0);
    const double mult = 0.5 * (1 + c.scale);
    const int longEnd = c.blockType != 2 ? kL3Lines : c.mixed ? 36 : 0;
    for (int i = 0; i < kL3Lines; ++i) {
      double want;
      if (i < longEnd) {
        int b = 0;
        while (st->longStart[b + 1] <= i) ++b;
        const int sf = st->sf[0].l[b] + (c.preflag ? mpa_tables::pretab(b) : 0);
        want = raw[static_cast<size_t>(i)] * std::exp2((c.globalGain - 210) / 4.0) * std::exp2(-mult * sf);
      } else {
        int b = 0;
        while (st->shortStart[b + 1] * 3 <= i) ++b;
        const int w = (i - st->shortStart[b] * 3) % 3;
        want = raw[static_cast<size_t>(i)] * std::exp2((c.globalGain - 210 - 8 * c.subblock[w]) / 4.0) *
               std::exp2(-mult * st->sf[0].s[b][w]);
      }
      EXPECT_NEAR(st->lines[0][i], want, 2e-6 * std::fabs(want) + 1e-30) << c.name << " line " << i;
    }
  }
}

TEST(MpegUnits, Layer3AliasReductionRunsOnlyAcrossLongSubbandBoundaries) {
  const double c0 = mpa_tables::antialias_c(0);
  const double cs = 1.0 / std::sqrt(1.0 + c0 * c0), ca = c0 * cs;
  struct Case {
    const char* name;
    int blockType, mixed, subbands, line;
    bool changes;
  };
  const Case cases[] = {
      {"long, top line of sub-band 0", 0, 0, 32, 17, true},
      {"long, first line of sub-band 1", 0, 0, 32, 18, true},
      {"short blocks have none", 2, 0, 32, 17, false},
      {"mixed: inside the long part", 2, 1, 32, 17, true},
      {"mixed: not at the short part's edge", 2, 1, 32, 35, false},
      {"half rate: the boundary above sub-band 15 is left", 0, 0, 16, 287, false},
  };
  for (const Case& c : cases) {
    auto st = stateFor(44100);
    L3Granule g;
    g.blockType = c.blockType;
    g.mixed = c.mixed;
    st->lines[0][c.line] = 1.0f;
    st->nonzeroEnd[0] = c.line + 1;
    l3_antialias(*st, g, 0, c.subbands);
    const bool upper = c.line % 18 == 0;  // the line sits above its boundary
    const int partner = upper ? c.line - 1 : c.line + 1;
    if (!c.changes) {
      EXPECT_EQ(st->lines[0][c.line], 1.0f) << c.name;
      EXPECT_EQ(st->lines[0][partner], 0.0f) << c.name;
      continue;
    }
    EXPECT_NEAR(st->lines[0][c.line], cs, 1e-6) << c.name;
    EXPECT_NEAR(st->lines[0][partner], upper ? -ca : ca, 1e-6) << c.name;
    EXPECT_GE(st->nonzeroEnd[0], partner + 1) << c.name;
  }
}

// Probes of joint stereo on a constructed spectrum: L holds 1 + line/1000 everywhere, R holds
// 0.5 where `right` says and zero elsewhere.
struct StereoProbe {
  int line;
  enum Kind { Same, MidSide, Intensity } kind;
  int pos;
};

template <class Right>
void checkStereo(const char* name, Layer3State& st, const FrameHeader& h, const L3Granule& g, Right right, int lines,
                 const std::vector<StereoProbe>& probes) {
  for (int i = 0; i < kL3Lines; ++i) {
    st.lines[0][i] = 1.0f + static_cast<float>(i) / 1000.0f;
    st.lines[1][i] = right(i) ? 0.5f : 0.0f;
  }
  st.nonzeroEnd[0] = st.nonzeroEnd[1] = kL3Lines;
  l3_joint_stereo(st, h, g, lines);
  const double base = h.version == kMpeg1 ? 0.0 : std::exp2(g.intensityScale ? -0.5 : -0.25);
  for (const StereoProbe& p : probes) {
    const double l = 1.0 + p.line / 1000.0, r = right(p.line) ? 0.5 : 0.0;
    double wl = l, wr = r;
    if (p.kind == StereoProbe::MidSide) {
      wl = (l + r) * std::sqrt(0.5);
      wr = (l - r) * std::sqrt(0.5);
    } else if (p.kind == StereoProbe::Intensity) {
      double kl, kr;
      if (base == 0.0) {
        const double t = std::tan(p.pos * kPi / 12);
        kl = t / (1 + t);
        kr = 1 / (1 + t);
      } else {
        kl = p.pos & 1 ? std::pow(base, (p.pos + 1) / 2) : 1.0;
        kr = p.pos & 1 ? 1.0 : std::pow(base, p.pos / 2);
      }
      wl = l * kl;
      wr = l * kr;
    }
    EXPECT_NEAR(st.lines[0][p.line], wl, 1e-5) << name << ": line " << p.line;
    EXPECT_NEAR(st.lines[1][p.line], wr, 1e-5) << name << ": line " << p.line;
  }
}

FrameHeader jointHeader(int version, int modeExt) {
  FrameHeader h;
  h.version = version;
  h.layer = kLayer3;
  h.mode = kJointStereo;
  h.modeExt = modeExt;
  return h;
}

TEST(MpegUnits, Layer3LongBlockStereoFollowsTheModeExtension) {
  using P = StereoProbe;
  for (int rate : {44100, 22050}) {
    auto st = stateFor(rate);
    const int version = rate == 44100 ? kMpeg1 : kMpeg2;
    // Right scale factors as intensity positions: band b holds b % 8 (7: none); 21 repeats 20.
    for (int b = 0; b < 21; ++b) st->sf[1].l[b] = static_cast<uint8_t>(b % 8);
    const int b10 = st->longStart[10], b11 = st->longStart[11], b15 = st->longStart[15], b20 = st->longStart[20];
    auto below10 = [&](int i) { return i < b10; };
    L3Granule g;
    for (int scale : {0, 1}) {
      g.intensityScale = scale;
      checkStereo("mid/side only", *st, jointHeader(version, 2), g, below10, kL3Lines,
                  {{0, P::MidSide, 0}, {b10 + 3, P::MidSide, 0}, {575, P::MidSide, 0}});
      checkStereo("mid/side over the half-rate lines", *st, jointHeader(version, 2), g, below10, 288,
                  {{287, P::MidSide, 0}, {288, P::Same, 0}});
      checkStereo("intensity only", *st, jointHeader(version, 1), g, below10, kL3Lines,
                  {{0, P::Same, 0}, {b10 - 1, P::Same, 0}, {b10, P::Intensity, 2}, {b11, P::Intensity, 3},
                   {b15, P::Same, 0}, {b20, P::Intensity, 4}, {575, P::Intensity, 4}});
      checkStereo("intensity with mid/side", *st, jointHeader(version, 3), g, below10, kL3Lines,
                  {{0, P::MidSide, 0}, {b10, P::Intensity, 2}, {b15, P::MidSide, 0}});
    }
  }
}

TEST(MpegUnits, Layer3ShortAndMixedBlockIntensityStartsAboveEachWindowsLastLine) {
  using P = StereoProbe;
  auto st = stateFor(44100);
  for (int b = 0; b < 12; ++b)
    for (int w = 0; w < 3; ++w) st->sf[1].s[b][w] = static_cast<uint8_t>((b + w) % 8);
  for (int b = 0; b < 21; ++b) st->sf[1].l[b] = static_cast<uint8_t>((b + 4) % 8);
  const uint16_t* ss = st->shortStart;
  auto at = [&](int band, int w, int i = 0) { return 3 * ss[band] + w + 3 * i; };
  L3Granule g;
  g.blockType = 2;
  g.windowSwitching = 1;
  // Window 0 is non-zero up to band 4; windows 1 and 2 are empty.
  auto window0Low = [&](int i) { return i < 3 * ss[5] && (i - 0) % 3 == 0; };
  checkStereo("short", *st, jointHeader(kMpeg1, 1), g, window0Low, kL3Lines,
              {{at(2, 0), P::Same, 0}, {at(6, 0), P::Intensity, 6}, {at(2, 1), P::Intensity, 3},
               {at(0, 2), P::Intensity, 2}, {at(12, 2, 5), P::Intensity, 5}});
  g.mixed = 1;
  // Only the long part of a mixed block holds right lines (line 5, long band 1): it is coded
  // from long band 2 on, the short part in every window from band 3.
  checkStereo("mixed, long part coded", *st, jointHeader(kMpeg1, 1), g, [](int i) { return i == 5; }, kL3Lines,
              {{5, P::Same, 0}, {st->longStart[2], P::Intensity, 6}, {at(3, 1), P::Intensity, 4}});
  // A right line in short band 5, window 2: the long part stays as it is.
  checkStereo("mixed, long part not coded", *st, jointHeader(kMpeg1, 1), g, [&](int i) { return i == at(5, 2); },
              kL3Lines, {{20, P::Same, 0}, {at(3, 0), P::Intensity, 3}, {at(5, 2), P::Same, 0}, {at(6, 2), P::Intensity, 0}});
}

TEST(MpegUnits, Layer3LineEqualiserServesLongLinesAndAveragesForShortOnes) {
  std::vector<float> gains(kL3Lines);
  for (int i = 0; i < kL3Lines; ++i) gains[static_cast<size_t>(i)] = 1.0f + static_cast<float>(i % 7) / 8.0f;
  for (int shift : {0, 1, 2}) {
    auto st = stateFor(44100);
    layer3_set_line_equaliser(*st, gains.data(), shift);
    const int group = 1 << shift, subbands = 32 >> shift;
    auto lineGain = [&](int i) {
      double s = 0;
      for (int k = 0; k < group; ++k) s += gains[static_cast<size_t>(i * group + k)];
      return s / group;
    };
    for (int blockType : {0, 2}) {
      for (int mixed : {0, 1}) {
        if (blockType == 0 && mixed) continue;
        L3Granule g;
        g.blockType = blockType;
        g.mixed = mixed;
        for (float& v : st->lines[0]) v = 1.0f;
        l3_line_equalise(*st, g, 0, subbands);
        for (int i = 0; i < kL3Lines; ++i) {
          double want = 1.0;
          if (i < subbands * 18) {
            const bool longLine = blockType == 0 || (mixed && i < 36);
            const int j = i / 3;
            want = longLine ? lineGain(i) : (lineGain(3 * j) + lineGain(3 * j + 1) + lineGain(3 * j + 2)) / 3;
          }
          ASSERT_NEAR(st->lines[0][i], want, 1e-5) << "shift " << shift << " type " << blockType << " mixed " << mixed << " line " << i;
        }
      }
    }
    layer3_set_line_equaliser(*st, nullptr, shift);
    for (float& v : st->lines[0]) v = 1.0f;
    l3_line_equalise(*st, L3Granule{}, 0, subbands);
    EXPECT_EQ(st->lines[0][5], 1.0f);
  }
}

}  // namespace

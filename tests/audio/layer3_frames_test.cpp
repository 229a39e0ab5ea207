// Whole layer III frames made by hand: fields that point past the decoder's tables or arrays,
// the reservoir carried from frame to frame, the flush of the overlap tail and the reservoir
// rebuild ahead of a seek.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "audio/mpeg/layer3.h"
#include "audio/mpeg/layer3_stages.h"
#include "tests/audio/layer3_frames.h"

namespace {

using namespace mpa;
using l3_test::BitWriter;
using l3_test::ListSource;

struct GranuleSpec {
  int part23 = -1;  // -1: the bits of `data`
  int bigValues = 0, globalGain = 210, scalefacCompress = 0;
  int blockType = 0, mixed = 0;  // block type 0 without window switching
  int table[3] = {1, 1, 1};
  int region0 = 0, region1 = 0;
  int count1Table = 0;
  BitWriter data;  // scale factors and Huffman codes
};

FrameHeader header(int version, int rateIndex, int bitrateIndex, int mode, int modeExt = 0) {
  FrameHeader h;
  h.version = version;
  h.layer = kLayer3;
  h.bitrateIndex = bitrateIndex;
  h.rateIndex = rateIndex;
  h.mode = mode;
  h.modeExt = modeExt;
  return h;
}

// The bytes after the header: side information, then `before` (main data of earlier frames'
// granules placed here), the granules' data, zero-filled to the frame's length.
std::vector<uint8_t> frameBody(const FrameHeader& h, int mainDataBegin, std::vector<GranuleSpec>& grs,
                               const std::vector<uint8_t>& tail = {}, uint32_t scfsi = 0) {
  const bool mpeg1 = h.version == kMpeg1;
  const int nch = header_channels(h);
  BitWriter side;
  side.put(static_cast<uint32_t>(mainDataBegin), mpeg1 ? 9 : 8);
  side.put(0, mpeg1 ? (nch == 1 ? 5 : 3) : nch);
  if (mpeg1) side.put(scfsi, 4 * nch);
  BitWriter main;
  for (GranuleSpec& g : grs) {
    const int part23 = g.part23 >= 0 ? g.part23 : static_cast<int>(g.data.bits());
    side.put(static_cast<uint32_t>(part23), 12);
    side.put(static_cast<uint32_t>(g.bigValues), 9);
    side.put(static_cast<uint32_t>(g.globalGain), 8);
    side.put(static_cast<uint32_t>(g.scalefacCompress), mpeg1 ? 4 : 9);
    side.put(g.blockType ? 1 : 0, 1);
    if (g.blockType) {
      side.put(static_cast<uint32_t>(g.blockType), 2);
      side.put(static_cast<uint32_t>(g.mixed), 1);
      side.put(static_cast<uint32_t>(g.table[0]), 5);
      side.put(static_cast<uint32_t>(g.table[1]), 5);
      side.put(0, 9);
    } else {
      for (int t : g.table) side.put(static_cast<uint32_t>(t), 5);
      side.put(static_cast<uint32_t>(g.region0), 4);
      side.put(static_cast<uint32_t>(g.region1), 3);
    }
    if (mpeg1) side.put(0, 1);
    side.put(0, 1);
    side.put(static_cast<uint32_t>(g.count1Table), 1);
    for (uint8_t b : g.data.bytes()) main.put(b, 8);  // byte-aligned granules keep this simple
  }
  std::vector<uint8_t> body = side.bytes();
  EXPECT_EQ(static_cast<int>(body.size()), l3_side_info_bytes(h));
  std::vector<uint8_t> m = main.bytes();
  body.insert(body.end(), m.begin(), m.end());
  const size_t length = static_cast<size_t>(l3_side_info_bytes(h) + l3_main_data_bytes(h));
  EXPECT_LE(body.size() + tail.size(), length);
  body.resize(length - tail.size(), 0);
  body.insert(body.end(), tail.begin(), tail.end());
  return body;
}

// Big values from table 13 (no linbits), each value followed by its sign bit when non-zero.
void putPairs(BitWriter& w, const std::vector<int>& values) {
  for (size_t i = 0; i + 1 < values.size(); i += 2) {
    const int x = values[i], y = values[i + 1];
    l3_test::putCode(w, 13, std::abs(x), std::abs(y));
    if (x) w.putBit(x < 0);
    if (y) w.putBit(y < 0);
  }
}

std::unique_ptr<Layer3State> openState(const FrameHeader& h) {
  auto st = std::make_unique<Layer3State>();
  layer3_open(*st, h);
  return st;
}

// Decodes the lines of granule 0, channel 0 of the source's current frame through the stages.
void decodeLines(Layer3State& st, ListSource& src) {
  const FrameHeader& h = src.header();
  l3_read_side_info(st, h, src.reader(), st.side);
  l3_take_main_data(st, h, src.reader(), st.side.mainDataBegin);
  BitReader res = l3_reservoir_reader(st);
  st.reservoirBit = st.side.gr[0][0].startBit;
  l3_read_scalefactors(st, h, 0, 0, res);
  l3_decode_lines(st, st.side.gr[0][0], 0, res);
}

const FrameHeader kMono44 = header(kMpeg1, 0, 9, kSingleChannel);  // 128 kbit/s, 417 bytes

TEST(MpegUnits, Layer3TablesFourAndFourteenDecodeZeroLinesReadingNoBits) {
  std::vector<GranuleSpec> grs(2);
  GranuleSpec& g = grs[0];
  g.bigValues = 8;
  g.table[0] = 4;
  g.table[1] = 14;
  g.table[2] = 13;  // regions: lines 0-3, 4-7, 8-15 at 44.1 kHz
  putPairs(g.data, {3, -1, 0, 2, -5, 0, 1, 1});
  ListSource src({{kMono44, frameBody(kMono44, 0, grs)}});
  auto st = openState(kMono44);
  decodeLines(*st, src);
  const int want[16] = {0, 0, 0, 0, 0, 0, 0, 0, 3, -1, 0, 2, -5, 0, 1, 1};
  for (int i = 0; i < 16; ++i) {
    const float v = want[i] < 0 ? -std::pow(-want[i], 4.0f / 3.0f) : std::pow(want[i], 4.0f / 3.0f);
    EXPECT_NEAR(st->lines[0][i], v, 1e-5) << i;
  }
  EXPECT_EQ(st->reservoirBit, st->side.gr[0][0].endBit);
}

TEST(MpegUnits, Layer3FieldsBeyondTheArraysStayInBounds) {
  struct Case {
    const char* name;
    int bigValues, region0, region1, table, part23, count1Table;
    uint8_t fill;
    int wantRegion2;  // expected second boundary, -1: not checked
  };
  const Case cases[] = {
      {"big values above 288", 511, 3, 3, 1, 4095, 0, 0x00, -1},
      {"region counts past the band table", 288, 15, 7, 24, 4095, 0, 0xA5, 576},
      {"count1 runs to line 576", 0, 0, 0, 1, 4095, 0, 0x00, 0},
      {"count1 table B to the end", 0, 0, 0, 1, 4095, 1, 0xFF, 0},
  };
  for (const Case& c : cases) {
    std::vector<GranuleSpec> grs(2);
    for (GranuleSpec& g : grs) {
      g.bigValues = c.bigValues;
      g.region0 = c.region0;
      g.region1 = c.region1;
      g.table[0] = g.table[1] = g.table[2] = c.table;
      g.part23 = c.part23;
      g.count1Table = c.count1Table;
    }
    FrameHeader h = kMono44;
    h.bitrateIndex = 14;  // 320 kbit/s: room for long granules
    std::vector<uint8_t> body = frameBody(h, 0, grs);
    std::fill(body.begin() + l3_side_info_bytes(h), body.end(), c.fill);
    ListSource src({{h, body}});
    auto st = openState(h);
    decodeLines(*st, src);
    const L3Granule& g = st->side.gr[0][0];
    if (c.wantRegion2 >= 0) {
      EXPECT_EQ(g.region2Start, c.wantRegion2) << c.name;
    }
    EXPECT_LE(st->nonzeroEnd[0], kL3Lines) << c.name;
    // Whole frames too, into the sub-band array.
    ListSource again({{h, body}});
    auto st2 = openState(h);
    DecoderConfig cfg;
    cfg.streamChannels = 1;
    auto out = std::make_unique<SubbandFrame>();
    layer3_decode(*st2, again, cfg, *out);
    for (int t = 0; t < 36; ++t)
      for (int sb = 0; sb < 32; ++sb) ASSERT_TRUE(std::isfinite(out->s[0][t][sb])) << c.name;
  }
}

TEST(MpegUnits, Layer3Count1StopsAtTheGranuleEndAndDropsAnOverrunningQuadruple) {
  struct Case {
    int part23;
    int lines;  // lines set to 1
  };
  // Table A with zero bits: code "1" is v=w=x=y=0... so use table B: "0000" is all four set,
  // then four plus signs: 8 bits per quadruple.
  for (Case c : {Case{80, 40}, Case{84, 40}, Case{4095, 576}}) {
    std::vector<GranuleSpec> grs(2);
    grs[0].part23 = c.part23;
    grs[0].count1Table = 1;
    FrameHeader h = kMono44;
    h.bitrateIndex = 14;
    std::vector<uint8_t> body = frameBody(h, 0, grs);
    std::fill(body.begin() + l3_side_info_bytes(h), body.end(), 0);
    ListSource src({{h, body}});
    auto st = openState(h);
    decodeLines(*st, src);
    for (int i = 0; i < kL3Lines; ++i) ASSERT_EQ(st->lines[0][i], i < c.lines ? 1.0f : 0.0f) << c.part23 << " " << i;
  }
}

// A source that runs a hook before each header search and can hold back its first search, so
// that a caller standing before the first frame is modelled.
struct Hooked : FrameSource {
  ListSource& s;
  std::function<void()> onNext;
  bool holdFirst;
  Hooked(ListSource& l, std::function<void()> hook, bool holdFirstSearch = false)
      : s(l), onNext(std::move(hook)), holdFirst(holdFirstSearch) {}
  const FrameHeader& header() const override { return s.header(); }
  BitReader& reader() override { return s.reader(); }
  bool nextHeader() override {
    if (onNext) onNext();
    if (holdFirst) {
      holdFirst = false;
      return true;
    }
    return s.nextHeader();
  }
};

float power(int v) { return v < 0 ? -std::pow(static_cast<float>(-v), 4.0f / 3.0f) : std::pow(static_cast<float>(v), 4.0f / 3.0f); }

TEST(MpegUnits, Layer3SecondGranuleSharesScaleFactorsUnlessItIsShort) {
  // slen 4 for bands 0-10 and 3 above (scalefac_compress 15); scfsi set for all four groups.
  const auto slen = mpa_tables::slen_mpeg1(15);
  ASSERT_EQ(slen.slen1, 4);
  ASSERT_EQ(slen.slen2, 3);
  for (int secondType : {0, 1, 3, 2}) {
    std::vector<GranuleSpec> grs(2);
    for (GranuleSpec& g : grs) {
      g.scalefacCompress = 15;
      g.bigValues = 4;
      g.table[0] = g.table[1] = g.table[2] = 13;
    }
    for (int b = 0; b < 21; ++b) grs[0].data.put(static_cast<uint32_t>(b % 8), b < 11 ? 4 : 3);
    putPairs(grs[0].data, {3, -1, 0, 2, 5, 0, 1, 1});
    grs[1].blockType = secondType;
    if (secondType == 2) {
      for (int b = 0; b < 12; ++b)
        for (int w = 0; w < 3; ++w) grs[1].data.put(static_cast<uint32_t>((b + w) % 8), b < 6 ? 4 : 3);
    }
    const std::vector<int> second = {2, 2, -1, 0, 0, -4, 1, 0};
    putPairs(grs[1].data, second);
    for (GranuleSpec& g : grs)
      while (g.data.bits() % 8) g.data.putBit(0);
    ListSource src({{kMono44, frameBody(kMono44, 0, grs, {}, 0xF)}});
    auto st = openState(kMono44);
    const FrameHeader& h = src.header();
    l3_read_side_info(*st, h, src.reader(), st->side);
    l3_take_main_data(*st, h, src.reader(), st->side.mainDataBegin);
    BitReader res = l3_reservoir_reader(*st);
    for (int gr = 0; gr < 2; ++gr) {
      st->reservoirBit = st->side.gr[gr][0].startBit;
      l3_read_scalefactors(*st, h, gr, 0, res);
      l3_decode_lines(*st, st->side.gr[gr][0], 0, res);
    }
    for (int b = 0; b < 21 && secondType != 2; ++b) EXPECT_EQ(st->sf[0].l[b], b % 8) << secondType << " band " << b;
    for (int b = 0; b < 12 && secondType == 2; ++b)
      for (int w = 0; w < 3; ++w) EXPECT_EQ(st->sf[0].s[b][w], (b + w) % 8) << "band " << b;
    // The second granule's lines, read right after its scale factors (short lines reordered).
    for (int i = 0; i < 8; ++i)
      EXPECT_NEAR(st->lines[0][st->reorder[secondType == 2 ? 1 : 0][i]], power(second[static_cast<size_t>(i)]), 1e-5)
          << "type " << secondType << " line " << i;
  }
}

// A stereo granule with some content in both channels, from table 13.
void fillGranule(GranuleSpec& g, int seed, int blockType = 0) {
  std::mt19937 rng(static_cast<unsigned>(seed));
  std::uniform_int_distribution<int> v(-6, 6);
  std::vector<int> values(60);
  for (int& x : values) x = v(rng);
  g.bigValues = 30;
  g.blockType = blockType;
  g.table[0] = g.table[1] = g.table[2] = 13;
  g.globalGain = 170 + seed % 20;
  putPairs(g.data, values);
  while (g.data.bits() % 8) g.data.putBit(0);
}

// Frames whose granules live partly in the previous frame's bytes: each frame's main data ends
// with the next frame's first granule, reached through main_data_begin. Without `carry` the
// same granules sit in their own frames.
std::vector<ListSource::Frame> reservoirStream(const FrameHeader& h, int frames, bool carry = true) {
  std::vector<ListSource::Frame> out;
  std::vector<uint8_t> carried;
  for (int f = 0; f < frames; ++f) {
    const int perFrame = l3_granules(h) * header_channels(h);
    std::vector<GranuleSpec> grs(static_cast<size_t>(perFrame));
    for (int i = 0; i < perFrame; ++i) fillGranule(grs[static_cast<size_t>(i)], f * 10 + i, (f + i) % 3 == 2 ? 2 : 0);
    // Granule 0 of this frame was sent at the end of the previous frame.
    GranuleSpec& first = grs[0];
    std::vector<uint8_t> firstBytes = first.data.bytes();
    if (!carry) {
      out.push_back({h, frameBody(h, 0, grs)});
      continue;
    }
    const int mdb = f == 0 ? 0 : static_cast<int>(carried.size());
    std::vector<GranuleSpec> sideOnly;
    for (size_t i = 0; i < grs.size(); ++i) sideOnly.push_back(grs[i]);
    // The side information counts all granules; the bytes of granule 0 come from `carried`.
    if (f > 0) sideOnly[0].data = BitWriter();
    std::vector<uint8_t> nextFirst;
    {
      GranuleSpec probe;
      fillGranule(probe, (f + 1) * 10, (f + 1) % 3 == 2 ? 2 : 0);
      nextFirst = probe.data.bytes();
    }
    if (f > 0) sideOnly[0].part23 = static_cast<int>(firstBytes.size() * 8);
    std::vector<uint8_t> body = frameBody(h, mdb, sideOnly, f + 1 < frames ? nextFirst : std::vector<uint8_t>{});
    out.push_back({h, body});
    carried = nextFirst;
  }
  return out;
}

std::vector<float> decodeAll(const FrameHeader& h, std::vector<ListSource::Frame> frames, int skip,
                             int* decoded = nullptr) {
  ListSource src(std::move(frames));
  auto st = openState(h);
  DecoderConfig cfg;
  cfg.streamChannels = header_channels(h);
  auto out = std::make_unique<SubbandFrame>();
  std::vector<float> pcm;
  int n = 0;
  for (;;) {
    layer3_decode(*st, src, cfg, *out);
    if (n++ >= skip) pcm.insert(pcm.end(), &out->s[0][0][0], &out->s[0][0][0] + 2 * 36 * 32);
    if (src.header().bitrateIndex == 0) break;
    src.nextHeader();
  }
  if (decoded) *decoded = n;
  return pcm;
}

TEST(MpegUnits, Layer3ReservoirCarriesGranulesAcrossFramesAndTheRebuildPrimesASeek) {
  const FrameHeader h = header(kMpeg1, 0, 9, kStereo);
  const auto frames = reservoirStream(h, 6);
  // A continuous decode; then a decode whose state starts cold at frame 3 after a rebuild over
  // frames 0..2 (two appended, the third fully decoded): frames 3.. come out identical.
  const std::vector<float> continuous = decodeAll(h, frames, 0);
  EXPECT_EQ(continuous, decodeAll(h, reservoirStream(h, 6, false), 0));
  auto st = openState(h);
  DecoderConfig cfg;
  auto out = std::make_unique<SubbandFrame>();
  // The rebuild fetches each header itself: stand before frame 0.
  ListSource seekSrc(frames);
  Hooked before(seekSrc, nullptr, true);
  layer3_rebuild(*st, before, cfg, *out, 0, 3, 1);
  EXPECT_EQ(seekSrc.index(), 2);
  std::vector<float> seeked;
  for (;;) {
    before.nextHeader();
    layer3_decode(*st, before, cfg, *out);
    seeked.insert(seeked.end(), &out->s[0][0][0], &out->s[0][0][0] + 2 * 36 * 32);
    if (before.header().bitrateIndex == 0) break;
  }
  const size_t frameFloats = 2 * 36 * 32;
  ASSERT_EQ(seeked.size(), continuous.size() - 3 * frameFloats);
  for (size_t i = 0; i < seeked.size(); ++i) ASSERT_EQ(seeked[i], continuous[3 * frameFloats + i]) << i;
  // Without the carried bytes (a cold start at frame 3) the first frame differs.
  std::vector<ListSource::Frame> cold(frames.begin() + 3, frames.end());
  const std::vector<float> coldPcm = decodeAll(h, cold, 0);
  bool differs = false;
  for (size_t i = 0; i < frameFloats; ++i) differs |= coldPcm[i] != continuous[3 * frameFloats + i];
  EXPECT_TRUE(differs);
}

TEST(MpegUnits, Layer3FlushGivesTheOverlapTailThenSilence) {
  struct Case {
    FrameHeader h;
    int tailGranule;  // where the tail lands
  };
  const Case cases[] = {
      {header(kMpeg1, 0, 9, kStereo), 0},  // the flush frame after the last frame
      {header(kMpeg2, 0, 8, kStereo), 1},  // 22.05 kHz: the second frame of a pair is missing
  };
  for (const Case& c : cases) {
    std::vector<GranuleSpec> grs(static_cast<size_t>(l3_granules(c.h) * 2));
    for (size_t i = 0; i < grs.size(); ++i) fillGranule(grs[i], static_cast<int>(i) + 3);
    ListSource list({{c.h, frameBody(c.h, 0, grs)}});
    auto st = openState(c.h);
    std::vector<float> overlap;
    Hooked src(list, [&] { overlap.assign(&st->overlap[0][0][0], &st->overlap[0][0][0] + 2 * 32 * 18); });
    DecoderConfig cfg;
    auto out = std::make_unique<SubbandFrame>();
    layer3_decode(*st, src, cfg, *out);
    if (c.tailGranule == 0) {
      src.nextHeader();
      layer3_decode(*st, src, cfg, *out);
    }
    ASSERT_EQ(overlap.size(), 2u * 32 * 18);
    bool anyTail = false;
    for (int ch = 0; ch < 2; ++ch)
      for (int sb = 0; sb < 32; ++sb)
        for (int t = 0; t < 18; ++t) {
          const float v = overlap[static_cast<size_t>((ch * 32 + sb) * 18 + t)];
          ASSERT_EQ(out->s[ch][18 * c.tailGranule + t][sb], (sb & 1) && (t & 1) ? -v : v);
          if (c.tailGranule == 0) {
            ASSERT_EQ(out->s[ch][18 + t][sb], 0.0f);
          }
          ASSERT_EQ(st->overlap[ch][sb][t], 0.0f);
          anyTail |= v != 0.0f;
        }
    EXPECT_TRUE(anyTail);
  }
}

}  // namespace

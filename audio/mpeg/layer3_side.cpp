#include <algorithm>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

int l3_granules(const FrameHeader& h) { return h.version == kMpeg1 ? 2 : 1; }

int l3_side_info_bytes(const FrameHeader& h) {
  const bool mono = h.mode == kSingleChannel;
  if (h.version == kMpeg1) return mono ? 17 : 32;
  return mono ? 9 : 17;
}

namespace {

int mainDataBeginBits(const FrameHeader& h) { return h.version == kMpeg1 ? 9 : 8; }

int privateBitCount(const FrameHeader& h) {
  const bool mono = h.mode == kSingleChannel;
  if (h.version == kMpeg1) return mono ? 5 : 3;
  return mono ? 1 : 2;
}

void readGranule(const Layer3State& st, const FrameHeader& h, int ch, BitReader& in, L3Granule& g) {
  const bool mpeg1 = h.version == kMpeg1;
  g.part23Length = static_cast<int>(in.bits(12));
  g.bigValues = static_cast<int>(in.bits(9));
  g.globalGain = static_cast<int>(in.bits(8));
  g.intensityScale = 0;
  if (mpeg1) {
    g.scalefacCompress = static_cast<int>(in.bits(4));
  } else if (ch == 1 && h.mode == kJointStereo && (h.modeExt & 1)) {
    g.scalefacCompress = static_cast<int>(in.bits(8));
    g.intensityScale = static_cast<int>(in.bit());
  } else {
    g.scalefacCompress = static_cast<int>(in.bits(9));
  }
  g.windowSwitching = static_cast<int>(in.bit());
  if (g.windowSwitching) {
    g.blockType = static_cast<int>(in.bits(2));
    g.mixed = static_cast<int>(in.bit());
    g.tableSelect[0] = static_cast<int>(in.bits(5));
    g.tableSelect[1] = static_cast<int>(in.bits(5));
    g.tableSelect[2] = 0;
    for (int& s : g.subblockGain) s = static_cast<int>(in.bits(3)) * 4;
    g.region1Start = g.blockType == 2 ? st.shortStart[3] * 3 : st.longStart[8];
    g.region2Start = kL3Lines;
  } else {
    g.blockType = 0;
    g.mixed = 0;
    for (int& s : g.tableSelect) s = static_cast<int>(in.bits(5));
    for (int& s : g.subblockGain) s = 0;
    const int r0 = static_cast<int>(in.bits(4));
    const int r1 = static_cast<int>(in.bits(3));
    // A region count past the table's end means "to the end of the spectrum".
    g.region1Start = st.longStart[std::min(r0 + 1, 22)];
    g.region2Start = st.longStart[std::min(r0 + r1 + 2, 22)];
  }
  const int bigLines = std::min(g.bigValues * 2, kL3Lines);
  g.region1Start = std::min(g.region1Start, bigLines);
  g.region2Start = std::clamp(g.region2Start, g.region1Start, bigLines);
  g.preflag = mpeg1 ? static_cast<int>(in.bit()) : (g.scalefacCompress >= 500 ? 1 : 0);
  g.scalefacScale = static_cast<int>(in.bit());
  g.count1Table = static_cast<int>(in.bit());
}

}  // namespace

void l3_read_side_info(Layer3State& st, const FrameHeader& h, BitReader& in, L3SideInfo& si) {
  const int nch = header_channels(h);
  si.mainDataBegin = static_cast<int>(in.bits(mainDataBeginBits(h)));
  si.privateBits = static_cast<int>(in.bits(privateBitCount(h)));
  for (int ch = 0; ch < 2; ++ch)
    for (int b = 0; b < 4; ++b) si.scfsi[ch][b] = 0;
  if (h.version == kMpeg1) {
    for (int ch = 0; ch < nch; ++ch)
      for (int b = 0; b < 4; ++b) si.scfsi[ch][b] = static_cast<int>(in.bit());
  }
  int64_t at = 0;
  for (int gr = 0; gr < l3_granules(h); ++gr) {
    for (int ch = 0; ch < nch; ++ch) {
      L3Granule& g = si.gr[gr][ch];
      readGranule(st, h, ch, in, g);
      // Scale factors shared with the first granule apply to a second granule of long blocks
      // (start and stop windows included); short blocks always carry their own.
      if (gr == 1 && g.blockType == 2)
        for (int& s : si.scfsi[ch]) s = 0;
      g.startBit = at;
      at += g.part23Length;
      g.endBit = at;
    }
  }
}

void l3_skip_side_info(const FrameHeader& h, BitReader& in, L3SideInfo& si) {
  const int mdb = mainDataBeginBits(h), priv = privateBitCount(h);
  si.mainDataBegin = static_cast<int>(in.bits(mdb));
  si.privateBits = static_cast<int>(in.bits(priv));
  in.skip(l3_side_info_bytes(h) * 8 - mdb - priv);
}

}  // namespace mpa


#include "audio/mpeg/layer3_stages.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

namespace {

void readMpeg1(Layer3State& st, int gr, int ch, BitReader& in) {
  const L3Granule& g = st.side.gr[gr][ch];
  L3ScaleFactors& sf = st.sf[ch];
  const mpa_tables::SlenMpeg1 slen = mpa_tables::slen_mpeg1(g.scalefacCompress);
  if (g.blockType == 2) {
    sf = L3ScaleFactors{};
    int band = 0;
    if (g.mixed) {
      for (; band < 8; ++band) sf.l[band] = static_cast<uint8_t>(in.bits(slen.slen1));
      band = 3;
    }
    for (; band < 12; ++band) {
      const int n = band < 6 ? slen.slen1 : slen.slen2;
      for (int w = 0; w < 3; ++w) sf.s[band][w] = static_cast<uint8_t>(in.bits(n));
    }
    return;
  }
  // Four groups of long bands; in the second granule a group with scfsi set keeps the first's.
  static constexpr int kGroupEnd[4] = {6, 11, 16, 21};
  int band = 0;
  for (int grp = 0; grp < 4; ++grp) {
    const int n = grp < 2 ? slen.slen1 : slen.slen2;
    const bool reuse = gr == 1 && st.side.scfsi[ch][grp];
    for (; band < kGroupEnd[grp]; ++band)
      if (!reuse) sf.l[band] = static_cast<uint8_t>(in.bits(n));
  }
  sf.l[21] = 0;
}

void readLsf(Layer3State& st, const FrameHeader& h, int gr, int ch, BitReader& in) {
  const L3Granule& g = st.side.gr[gr][ch];
  L3ScaleFactors& sf = st.sf[ch];
  sf = L3ScaleFactors{};
  const bool intensityRight = ch == 1 && h.mode == kJointStereo && (h.modeExt & 1);
  const mpa_tables::LsfSlen ls = mpa_tables::lsf_slen(intensityRight, g.scalefacCompress);
  using mpa_tables::PartitionBlock;
  const PartitionBlock block =
      g.blockType == 2 ? (g.mixed ? PartitionBlock::Mixed : PartitionBlock::Short) : PartitionBlock::Long;
  const mpa_tables::LsfPartition part = mpa_tables::lsf_partition(ls.row, block);
  // The partitions fill the bands in order: long bands, or (after the long bands of a mixed
  // block) short bands window by window.
  int k = 0;
  const int longCount = block == PartitionBlock::Long ? 21 : block == PartitionBlock::Mixed ? 6 : 0;
  const int firstShort = block == PartitionBlock::Mixed ? 3 : 0;
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < part.count[p]; ++i, ++k) {
      const uint8_t v = static_cast<uint8_t>(in.bits(ls.slen[p]));
      if (k < longCount) {
        sf.l[k] = v;
      } else {
        const int j = k - longCount;
        const int band = firstShort + j / 3;
        if (band < 12) sf.s[band][j % 3] = v;
      }
    }
  }
}

}  // namespace

void l3_read_scalefactors(Layer3State& st, const FrameHeader& h, int gr, int ch, BitReader& in) {
  if (h.version == kMpeg1) {
    readMpeg1(st, gr, ch, in);
  } else {
    readLsf(st, h, gr, ch, in);
  }
}

}  // namespace mpa

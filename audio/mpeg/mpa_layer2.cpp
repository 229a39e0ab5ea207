#include <cstring>

#include "audio/mpeg/mpa_layer12.h"

namespace mpa {

using mpa_tables::Layer2Table;

Layer2Table layer2_table(const FrameHeader& h) {
  if (h.version != kMpeg1) return Layer2Table::Lsf;
  const int b = header_bitrate_kbps(h) / header_channels(h);
  const bool k48 = h.rateIndex == 1;
  const bool k32 = h.rateIndex == 2;
  if ((k48 && b > 55) || (b > 55 && b < 81)) return Layer2Table::A;
  if (k48 || b < 96) return (k32 || b > 48) ? Layer2Table::D : Layer2Table::C;
  return Layer2Table::B;
}

namespace {

// Three samples of one sub-band in one granule, before scaling.
void read_triple(BitReader& rd, const QuantClass& q, float v[3]) {
  if (q.levels != 0) {
    uint32_t code = rd.bits(q.bits);
    for (int i = 0; i < 3; ++i) {
      v[i] = static_cast<float>(static_cast<int>(code % static_cast<uint32_t>(q.levels)) - q.offset);
      code /= static_cast<uint32_t>(q.levels);
    }
  } else {
    for (int i = 0; i < 3; ++i) v[i] = static_cast<float>(static_cast<int>(rd.bits(q.bits)) - q.offset);
  }
}

}  // namespace

void layer2_decode(FrameSource& src, SubbandFrame& out) {
  const FrameHeader& h = src.header();
  if (h.bitrateIndex == 0) {
    std::memset(out.s, 0, sizeof out.s);
    return;
  }
  const Layer12Tables& t = layer12_tables();
  BitReader& rd = src.reader();
  const int64_t start = rd.position();
  const int64_t end = start - header_bits(h) + 8LL * (header_bitrate_kbps(h) * 144000LL / header_sample_rate(h)) +
                      (h.padding ? 8 : 0);
  const Layer2Table table = layer2_table(h);
  const int tab = static_cast<int>(table);
  const int limit = mpa_tables::layer2_subbands(table);
  const int nch = header_channels(h);
  const int bound = stereo_bound(h, limit);

  int cls[2][kSubbands];  // -1: no allocation
  for (int sb = 0; sb < limit; ++sb) {
    const int nbal = mpa_tables::layer2_allocation(table, sb).nbal;
    if (sb < bound) {
      for (int ch = 0; ch < nch; ++ch) cls[ch][sb] = t.classOf[tab][sb][rd.bits(nbal) & 15];
    } else {
      cls[0][sb] = cls[1][sb] = t.classOf[tab][sb][rd.bits(nbal) & 15];
    }
  }
  int scfsi[2][kSubbands] = {};
  for (int sb = 0; sb < limit; ++sb) {
    for (int ch = 0; ch < nch; ++ch) {
      if (cls[ch][sb] >= 0) scfsi[ch][sb] = static_cast<int>(rd.bits(2));
    }
  }
  float sf[2][kSubbands][3] = {};
  for (int sb = 0; sb < limit; ++sb) {
    for (int ch = 0; ch < nch; ++ch) {
      if (cls[ch][sb] < 0) continue;
      const float step = t.classes[cls[ch][sb]].step;
      float* f = sf[ch][sb];
      switch (scfsi[ch][sb]) {
        case 0:
          for (int i = 0; i < 3; ++i) f[i] = t.scale[rd.bits(6)] * step;
          break;
        case 1:
          f[0] = f[1] = t.scale[rd.bits(6)] * step;
          f[2] = t.scale[rd.bits(6)] * step;
          break;
        case 2:
          f[0] = f[1] = f[2] = t.scale[rd.bits(6)] * step;
          break;
        default:
          f[0] = t.scale[rd.bits(6)] * step;
          f[1] = f[2] = t.scale[rd.bits(6)] * step;
          break;
      }
    }
  }
  for (int gr = 0; gr < 12; ++gr) {
    const int part = gr / 4;
    for (int sb = 0; sb < limit; ++sb) {
      float v[2][3] = {};
      if (sb < bound) {
        for (int ch = 0; ch < nch; ++ch) {
          if (cls[ch][sb] >= 0) read_triple(rd, t.classes[cls[ch][sb]], v[ch]);
        }
      } else if (cls[0][sb] >= 0) {
        read_triple(rd, t.classes[cls[0][sb]], v[0]);
        for (int i = 0; i < 3; ++i) v[1][i] = v[0][i];
      }
      for (int i = 0; i < 3; ++i) {
        out.s[0][3 * gr + i][sb] = v[0][i] * sf[0][sb][part];
        out.s[1][3 * gr + i][sb] = v[1][i] * sf[1][sb][part];
      }
    }
    for (int sb = limit; sb < kSubbands; ++sb) {
      for (int i = 0; i < 3; ++i) out.s[0][3 * gr + i][sb] = out.s[1][3 * gr + i][sb] = 0.0f;
    }
  }
  *rd.pos = end;
}

}  // namespace mpa

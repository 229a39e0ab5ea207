#include <cstring>

#include "audio/mpeg/mpa_layer12.h"

namespace mpa {

namespace {

// One layer I frame into 12 slots starting at `slot0`.
void decode_frame(FrameSource& src, SubbandFrame& out, int slot0) {
  const FrameHeader& h = src.header();
  if (h.bitrateIndex == 0) {
    for (int ch = 0; ch < 2; ++ch) std::memset(out.s[ch][slot0], 0, sizeof(float) * 12 * kSubbands);
    return;
  }
  const Layer12Tables& t = layer12_tables();
  BitReader& rd = src.reader();
  const int64_t start = rd.position();
  const int nch = header_channels(h);
  const int bound = stereo_bound(h, kSubbands);

  int alloc[2][kSubbands];
  for (int sb = 0; sb < kSubbands; ++sb) {
    if (sb < bound) {
      for (int ch = 0; ch < nch; ++ch) alloc[ch][sb] = static_cast<int>(rd.bits(4));
    } else {
      alloc[0][sb] = alloc[1][sb] = static_cast<int>(rd.bits(4));
    }
  }
  float factor[2][kSubbands] = {};
  for (int sb = 0; sb < kSubbands; ++sb) {
    for (int ch = 0; ch < nch; ++ch) {
      if (alloc[ch][sb] != 0) factor[ch][sb] = t.scale[rd.bits(6)] * t.step1[alloc[ch][sb]];
    }
  }
  for (int s = 0; s < 12; ++s) {
    float* l = out.s[0][slot0 + s];
    float* r = out.s[1][slot0 + s];
    for (int sb = 0; sb < kSubbands; ++sb) {
      if (sb < bound) {
        for (int ch = 0; ch < nch; ++ch) {
          const int a = alloc[ch][sb];
          const float v = a == 0 ? 0.0f : static_cast<float>(static_cast<int>(rd.bits(a + 1)) - (1 << a) + 1);
          (ch == 0 ? l : r)[sb] = v * factor[ch][sb];
        }
      } else {
        const int a = alloc[0][sb];
        const float v = a == 0 ? 0.0f : static_cast<float>(static_cast<int>(rd.bits(a + 1)) - (1 << a) + 1);
        l[sb] = v * factor[0][sb];
        r[sb] = v * factor[1][sb];
      }
    }
  }
  const int64_t bits = 32LL * (header_bitrate_kbps(h) * 12000LL / header_sample_rate(h));
  *rd.pos = start - header_bits(h) + (h.padding ? 32 : 0) + bits;
}

}  // namespace

void layer1_decode(FrameSource& src, SubbandFrame& out) {
  for (int f = 0; f < 3; ++f) {
    if (f > 0) src.nextHeader();
    decode_frame(src, out, 12 * f);
  }
}

}  // namespace mpa

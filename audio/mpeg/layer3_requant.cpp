#include <algorithm>

#include "audio/mpeg/layer3_stages.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

namespace {

void scaleLong(Layer3State& st, const L3Granule& g, int ch, int bands, float gain, const float* step) {
  float* xr = st.lines[ch];
  const L3ScaleFactors& sf = st.sf[ch];
  const int limit = st.nonzeroEnd[ch];
  for (int b = 0; b < bands && st.longStart[b] < limit; ++b) {
    const int index = (sf.l[b] + (g.preflag ? mpa_tables::pretab(b) : 0)) << g.scalefacScale;
    const float f = gain * step[std::min(index, 64)];
    const int end = std::min<int>(st.longStart[b + 1], limit);
    for (int i = st.longStart[b]; i < end; ++i) xr[i] *= f;
  }
}

void scaleShort(Layer3State& st, const L3Granule& g, int ch, int firstBand, float gain, const float* step) {
  float* xr = st.lines[ch];
  const L3ScaleFactors& sf = st.sf[ch];
  const int limit = st.nonzeroEnd[ch];
  for (int b = firstBand; b < 13 && st.shortStart[b] * 3 < limit; ++b) {
    const int base = st.shortStart[b] * 3;
    const int width = st.shortStart[b + 1] - st.shortStart[b];
    for (int w = 0; w < 3; ++w) {
      const float f = gain * step[std::min(g.subblockGain[w], 64)] * step[std::min(sf.s[b][w] << g.scalefacScale, 64)];
      // Reordered short lines: the three windows of one frequency sit side by side.
      for (int i = 0; i < width; ++i) xr[base + w + 3 * i] *= f;
    }
  }
}

}  // namespace

void l3_requantise(Layer3State& st, const L3Granule& g, int ch) {
  const Layer3Tables& T = layer3_tables();
  const float gain = T.globalGain[g.globalGain & 255];
  if (g.blockType != 2) {
    scaleLong(st, g, ch, 22, gain, T.step);
    return;
  }
  if (g.mixed) scaleLong(st, g, ch, st.mixedLongBands, gain, T.step);
  scaleShort(st, g, ch, g.mixed ? 3 : 0, gain, T.step);
}

}  // namespace mpa

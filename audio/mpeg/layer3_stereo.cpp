#include <algorithm>
#include <cstring>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

namespace {

constexpr uint8_t kNoIntensity = 7;

// Long bands from `firstLine`'s band up to `bandEnd` take the right channel's scale factors as
// positions; band 21 repeats band 20.
void longPositions(Layer3State& st, int lastNonzero, int bandEnd) {
  const L3ScaleFactors& sf = st.sf[1];
  int band = 0;
  while (band < 22 && st.longStart[band + 1] <= lastNonzero) ++band;
  for (int b = lastNonzero < 0 ? 0 : band + 1; b < bandEnd; ++b) {
    const uint8_t pos = sf.l[b < 21 ? b : 20];
    for (int i = st.longStart[b]; i < st.longStart[b + 1]; ++i) st.intensityPos[i] = pos;
  }
}

int lastNonzeroLong(const Layer3State& st, int end) {
  const float* r = st.lines[1];
  for (int i = std::min(end, kL3Lines) - 1; i >= 0; --i)
    if (r[i] != 0.0f) return i;
  return -1;
}

void shortPositions(Layer3State& st, const L3Granule& g) {
  const float* r = st.lines[1];
  const L3ScaleFactors& sf = st.sf[1];
  const int firstShort = g.mixed ? 3 : 0;
  bool longPartCoded = true;
  for (int w = 0; w < 3; ++w) {
    int firstIntensity = firstShort;
    for (int b = 12; b >= firstShort && firstIntensity == firstShort; --b) {
      const int base = st.shortStart[b] * 3 + w;
      const int width = st.shortStart[b + 1] - st.shortStart[b];
      for (int i = 0; i < width; ++i)
        if (r[base + 3 * i] != 0.0f) {
          firstIntensity = b + 1;
          break;
        }
    }
    if (firstIntensity > 3) longPartCoded = false;
    for (int b = firstIntensity; b < 13; ++b) {
      const uint8_t pos = sf.s[b < 12 ? b : 11][w];
      const int base = st.shortStart[b] * 3 + w;
      const int width = st.shortStart[b + 1] - st.shortStart[b];
      for (int i = 0; i < width; ++i) st.intensityPos[base + 3 * i] = pos;
    }
  }
  if (g.mixed && longPartCoded) longPositions(st, lastNonzeroLong(st, st.mixedLines), st.mixedLongBands);
}

}  // namespace

void l3_joint_stereo(Layer3State& st, const FrameHeader& h, const L3Granule& right, int lines) {
  const Layer3Tables& T = layer3_tables();
  float* L = st.lines[0];
  float* R = st.lines[1];
  const bool ms = (h.modeExt & 2) != 0;
  const float k = T.msScale;
  lines = std::min(lines, kL3Lines);
  const int nz = std::max(st.nonzeroEnd[0], st.nonzeroEnd[1]);
  st.nonzeroEnd[0] = st.nonzeroEnd[1] = nz;
  if (!(h.modeExt & 1)) {
    for (int i = 0; i < std::min(lines, nz); ++i) {
      const float m = L[i], s = R[i];
      L[i] = (m + s) * k;
      R[i] = (m - s) * k;
    }
    return;
  }
  std::memset(st.intensityPos, kNoIntensity, sizeof st.intensityPos);
  if (right.blockType == 2) {
    shortPositions(st, right);
  } else {
    longPositions(st, lastNonzeroLong(st, st.nonzeroEnd[1]), 22);
  }
  const float(*ratio)[2] = h.version == kMpeg1 ? T.isMpeg1 : T.isLsf[right.intensityScale & 1];
  for (int i = 0; i < std::min(lines, nz); ++i) {
    const int pos = st.intensityPos[i] & 31;
    if (pos == kNoIntensity) {
      if (ms) {
        const float m = L[i], s = R[i];
        L[i] = (m + s) * k;
        R[i] = (m - s) * k;
      }
      continue;
    }
    const float l = L[i];
    R[i] = l * ratio[pos][1];
    L[i] = l * ratio[pos][0];
  }
}

}  // namespace mpa

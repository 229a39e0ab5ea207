#include <algorithm>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

void layer3_set_line_equaliser(Layer3State& st, const float* gains, int shift) {
  if (!gains) {
    st.lineEqOn = false;
    return;
  }
  shift = std::clamp(shift, 0, 2);
  const int group = 1 << shift;
  const int lines = kL3Lines >> shift;
  for (int i = 0; i < kL3Lines; ++i) {
    if (i >= lines) {
      st.lineEq[i] = 1.0f;
      continue;
    }
    float sum = 0.0f;
    for (int k = 0; k < group; ++k) sum += gains[i * group + k];
    st.lineEq[i] = sum / static_cast<float>(group);
  }
  // Short blocks: one gain per frequency, for its three windows side by side.
  for (int j = 0; j < kL3Lines / 3; ++j)
    st.lineEqShort[j] = (st.lineEq[3 * j] + st.lineEq[3 * j + 1] + st.lineEq[3 * j + 2]) / 3.0f;
  st.lineEqOn = true;
}

void l3_line_equalise(Layer3State& st, const L3Granule& g, int ch, int subbands) {
  if (!st.lineEqOn) return;
  float* xr = st.lines[ch];
  const int lines = std::min(subbands * 18, kL3Lines);
  const int longEnd = g.blockType != 2 ? lines : g.mixed ? std::min(st.mixedLines, lines) : 0;
  for (int i = 0; i < longEnd; ++i) xr[i] *= st.lineEq[i];
  for (int i = longEnd; i < lines; ++i) xr[i] *= st.lineEqShort[i / 3];
  // Gains can lift the zero lines only when they were zero already: the bound stays.
}

}  // namespace mpa

#include <algorithm>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

void l3_antialias(Layer3State& st, const L3Granule& g, int ch, int subbands) {
  if (g.blockType == 2 && !g.mixed) return;
  const Layer3Tables& T = layer3_tables();
  float* xr = st.lines[ch];
  const int limit = g.blockType == 2 ? std::min(subbands, st.mixedLines / 18) : subbands;
  // A butterfly only matters where a side of the boundary holds a non-zero line.
  int sb = 1;
  for (; sb < limit && 18 * sb - 8 < st.nonzeroEnd[ch]; ++sb) {
    float* lo = xr + 18 * sb - 1;
    float* hi = xr + 18 * sb;
    for (int i = 0; i < 8; ++i) {
      const float a = lo[-i], b = hi[i];
      lo[-i] = a * T.aaCs[i] - b * T.aaCa[i];
      hi[i] = b * T.aaCs[i] + a * T.aaCa[i];
    }
  }
  if (sb > 1) st.nonzeroEnd[ch] = std::max(st.nonzeroEnd[ch], std::min(18 * (sb - 1) + 8, kL3Lines));
}

}  // namespace mpa

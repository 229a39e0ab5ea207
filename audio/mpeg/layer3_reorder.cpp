#include <algorithm>

#include "audio/mpeg/layer3_stages.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

void l3_build_bands(Layer3State& st, int rate, bool lsf) {
  const auto longBands = mpa_tables::scalefactor_bands(rate, false);
  const auto shortBands = mpa_tables::scalefactor_bands(rate, true);
  for (int b = 0; b < 23; ++b)
    st.longStart[b] = b < static_cast<int>(longBands.size()) ? longBands[b].start : static_cast<uint16_t>(kL3Lines);
  for (int b = 0; b < 14; ++b)
    st.shortStart[b] = b < static_cast<int>(shortBands.size()) ? shortBands[b].start : static_cast<uint16_t>(kL3Lines / 3);
  st.lsf = lsf;
  st.mixedLongBands = lsf ? 6 : 8;
  st.mixedLines = std::min(st.shortStart[3] * 3, kL3Lines);

  // Short blocks arrive window by window within each band; the three windows of one frequency
  // are laid side by side so that each sub-band holds its own lines.
  for (int i = 0; i < kL3Lines; ++i) st.reorder[0][i] = static_cast<uint16_t>(i);
  for (int b = 0; b < 13; ++b) {
    const int start = st.shortStart[b] * 3;
    const int width = st.shortStart[b + 1] - st.shortStart[b];
    for (int w = 0; w < 3; ++w)
      for (int i = 0; i < width; ++i) {
        const int from = start + w * width + i;
        if (from < kL3Lines) st.reorder[1][from] = static_cast<uint16_t>(start + w + 3 * i);
      }
  }
  for (int i = 0; i < kL3Lines; ++i) st.reorder[2][i] = i < st.mixedLines ? static_cast<uint16_t>(i) : st.reorder[1][i];
}

int l3_reordered_end(const Layer3State& st, int map, int lines) {
  if (lines <= 0) return 0;
  if (map == 0 || (map == 2 && lines <= st.mixedLines)) return lines;
  for (int b = 0; b < 13; ++b)
    if (lines <= st.shortStart[b + 1] * 3) return st.shortStart[b + 1] * 3;
  return kL3Lines;
}

}  // namespace mpa

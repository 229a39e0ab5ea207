#include <algorithm>
#include <cstring>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

namespace {

// One code word: the walk takes its bits from one peeked word (codes are at most 19 bits).
inline int walk(const int16_t* nodes, BitReader& in) {
  uint32_t w = in.peek(25) << 7;
  int p = 0, used = 0, v;
  while ((v = nodes[p]) < 0) {
    ++p;
    if (w & 0x80000000u) p -= v;
    w <<= 1;
    ++used;
  }
  in.skip(used);
  return v;
}

inline float signedPower(const float* pow43, int value, BitReader& in) {
  if (value == 0) return 0.0f;
  return in.bit() ? -pow43[value] : pow43[value];
}

int mapIndex(const L3Granule& g) { return g.blockType == 2 ? (g.mixed ? 2 : 1) : 0; }

}  // namespace

void l3_decode_lines(Layer3State& st, const L3Granule& g, int ch, BitReader& in) {
  const Layer3Tables& T = layer3_tables();
  float* xr = st.lines[ch];
  const uint16_t* map = st.reorder[mapIndex(g)];
  std::memset(xr, 0, sizeof st.lines[ch]);

  // Big values, pair by pair, by count (the line count is clamped to the spectrum).
  const int bigLines = std::min(g.bigValues * 2, kL3Lines);
  const int ends[3] = {g.region1Start, g.region2Start, bigLines};
  int line = 0;
  for (int r = 0; r < 3; ++r) {
    const int end = std::clamp(ends[r], line, bigLines);
    const L3HuffTree& tree = T.huff[g.tableSelect[r] & 31];
    if (tree.nodes.empty()) {  // tables 0, 4 and 14: zero lines, no bits
      line = end;
      continue;
    }
    const int16_t* nodes = tree.nodes.data();
    const int linbits = tree.linbits;
    for (; line < end && line + 1 < kL3Lines; line += 2) {
      const int v = walk(nodes, in);
      int x = v >> 4, y = v & 15;
      if (x == 15 && linbits) x += static_cast<int>(in.bits(linbits));
      xr[map[line]] = signedPower(T.pow43, x, in);
      if (y == 15 && linbits) y += static_cast<int>(in.bits(linbits));
      xr[map[line + 1]] = signedPower(T.pow43, y, in);
    }
    line = std::max(line, end);
  }

  // Count1 quadruples up to the granule's end; one that ends past it is dropped.
  const int16_t* quad = T.huff[32 + (g.count1Table & 1)].nodes.data();
  while (line < kL3Lines && in.position() < g.endBit) {
    const int v = walk(quad, in);
    float q[4];
    for (int i = 0; i < 4; ++i) q[i] = signedPower(T.pow43, (v >> (3 - i)) & 1, in);
    if (in.position() > g.endBit) break;
    for (int i = 0; i < 4 && line + i < kL3Lines; ++i) xr[map[line + i]] = q[i];
    line = std::min(line + 4, kL3Lines);
  }
  st.nonzeroEnd[ch] = l3_reordered_end(st, mapIndex(g), line);
}

}  // namespace mpa

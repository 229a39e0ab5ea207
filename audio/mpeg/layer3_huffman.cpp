#include <algorithm>
#include <cstring>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

namespace {

// The bits of one granule through a 64-bit window, so that a code word, its linbits and signs
// cost no bounds checks of their own. Bytes at or past `held` read as zero, like BitReader's.
class WindowBits {
 public:
  explicit WindowBits(const BitReader& r) : base_(r.base), held_(r.held), pos_(*r.pos) { refill(); }
  int64_t position() const { return pos_; }
  // n = 1..32.
  uint32_t peek(int n) {
    int64_t off = pos_ - at_;
    if (off + n > 64) {
      refill();
      off = pos_ - at_;
    }
    return static_cast<uint32_t>((window_ << off) >> (64 - n));
  }
  uint32_t bits(int n) {
    const uint32_t v = peek(n);
    pos_ += n;
    return v;
  }
  void skip(int n) { pos_ += n; }

 private:
  void refill() {
    at_ = pos_ & ~int64_t{7};
    const int64_t byte = at_ >> 3;
    uint64_t w = 0;
    if (byte >= 0 && byte + 8 <= held_) {
      for (int i = 0; i < 8; ++i) w = w << 8 | base_[byte + i];
    } else {
      for (int64_t i = byte; i < byte + 8; ++i) w = w << 8 | (i >= 0 && i < held_ ? base_[i] : 0u);
    }
    window_ = w;
  }
  const uint8_t* base_;
  int64_t held_;
  int64_t pos_;
  int64_t at_ = 0;
  uint64_t window_ = 0;
};

// One code word: the walk takes its bits from one peeked word (codes are at most 19 bits); the
// lookup settles the first bits at once, most codes whole.
inline int walk(const L3HuffTree& tree, WindowBits& in) {
  uint32_t w = in.peek(25) << 7;
  const uint32_t e = tree.lookup[w >> (32 - kL3HuffLookupBits)];
  int used = static_cast<int>(e & 31u);
  if (e & kL3HuffLeaf) {
    in.skip(used);
    return static_cast<int>(e >> 16);
  }
  const int16_t* nodes = tree.nodes.data();
  w <<= used;
  int p = static_cast<int>(e >> 16), v;
  while ((v = nodes[p]) < 0) {
    ++p;
    if (w & 0x80000000u) p -= v;
    w <<= 1;
    ++used;
  }
  in.skip(used);
  return v;
}

inline float signedPower(const float* pow43, int value, WindowBits& in) {
  if (value == 0) return 0.0f;
  return in.bits(1) ? -pow43[value] : pow43[value];
}

// v with its sign bit set when `negative` is 1.
inline float withSign(float v, uint32_t negative) {
  uint32_t b;
  std::memcpy(&b, &v, sizeof b);
  b ^= negative << 31;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

int mapIndex(const L3Granule& g) { return g.blockType == 2 ? (g.mixed ? 2 : 1) : 0; }

}  // namespace

void l3_decode_lines(Layer3State& st, const L3Granule& g, int ch, BitReader& reader) {
  WindowBits in(reader);
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
    const int linbits = tree.linbits;
    for (; line < end && line + 1 < kL3Lines; line += 2) {
      const int v = walk(tree, in);
      if (v == 0) continue;  // the lines are zero already
      int x = v >> 4, y = v & 15;
      if (!linbits) {
        // Both sign bits from one peek, without a branch per value.
        const uint32_t w = in.peek(2);
        const int nx = x != 0, ny = y != 0;
        const uint32_t sx = nx & (w >> 1);
        const uint32_t sy = ny & (w >> (1 - nx));
        in.skip(nx + ny);
        xr[map[line]] = withSign(T.pow43[x], sx);
        xr[map[line + 1]] = withSign(T.pow43[y], sy);
        continue;
      }
      if (x == 15) x += static_cast<int>(in.bits(linbits));
      xr[map[line]] = signedPower(T.pow43, x, in);
      if (y == 15) y += static_cast<int>(in.bits(linbits));
      xr[map[line + 1]] = signedPower(T.pow43, y, in);
    }
    line = std::max(line, end);
  }

  // Count1 quadruples up to the granule's end; one that ends past it is dropped.
  const L3HuffTree& quad = T.huff[32 + (g.count1Table & 1)];
  while (line < kL3Lines && in.position() < g.endBit) {
    const int v = walk(quad, in);
    // One sign bit per non-zero value, in order, read at once.
    static constexpr int k_ones[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
    int left = k_ones[v & 15];
    const uint32_t signs = left ? in.bits(left) : 0u;
    if (in.position() > g.endBit) break;
    // Zero values store the zero the line holds already.
    const float values[3] = {0.0f, T.pow43[1], -T.pow43[1]};
    for (int i = 0; i < 4 && line + i < kL3Lines; ++i) {
      const int bit = (v >> (3 - i)) & 1;
      left -= bit;
      xr[map[line + i]] = values[bit * (1 + static_cast<int>((signs >> left) & 1u))];
    }
    line = std::min(line + 4, kL3Lines);
  }
  *reader.pos = in.position();
  st.nonzeroEnd[ch] = l3_reordered_end(st, mapIndex(g), line);
}

}  // namespace mpa

#include <algorithm>

#include "audio/mpeg/layer3_tables.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

namespace {

using Code = mpa_tables::HuffmanCode;

int codeBit(const Code& c, int depth) { return static_cast<int>((c.bits >> (c.length - 1 - depth)) & 1u); }

// Appends the walk of the codes in [first, last), all sharing their first `depth` bits and sorted
// by code word. A side without codes (an incomplete table) becomes a zero leaf.
void emit(const Code* first, const Code* last, int depth, std::vector<int16_t>& out) {
  if (first == last) {
    out.push_back(0);
    return;
  }
  if (last - first == 1 && first->length <= depth) {
    out.push_back(static_cast<int16_t>(first->x << 4 | first->y));
    return;
  }
  const Code* mid = std::partition_point(first, last, [depth](const Code& c) {
    return c.length <= depth || codeBit(c, depth) == 0;
  });
  const size_t at = out.size();
  out.push_back(0);
  emit(first, mid, depth + 1, out);
  out[at] = static_cast<int16_t>(-static_cast<int>(out.size() - at - 1));
  emit(mid, last, depth + 1, out);
}

}  // namespace

L3HuffTree layer3_build_tree(int table) {
  const mpa_tables::HuffmanTable h = mpa_tables::huffman(table);
  L3HuffTree tree;
  tree.linbits = h.linbits;
  if (h.codes.empty()) return tree;
  std::vector<Code> codes(h.codes.begin(), h.codes.end());
  // Code words as left-aligned 32-bit strings sort in walk order.
  std::sort(codes.begin(), codes.end(), [](const Code& a, const Code& b) {
    return (static_cast<uint64_t>(a.bits) << (32 - a.length)) < (static_cast<uint64_t>(b.bits) << (32 - b.length));
  });
  emit(codes.data(), codes.data() + codes.size(), 0, tree.nodes);
  return tree;
}

}  // namespace mpa

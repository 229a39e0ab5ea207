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

// For every string of kL3HuffLookupBits bits, where the walk stands after reading at most that
// many: at a leaf, or at the node it goes on from.
std::vector<uint32_t> lookupOf(const std::vector<int16_t>& nodes) {
  std::vector<uint32_t> lookup(1u << kL3HuffLookupBits);
  for (uint32_t prefix = 0; prefix < lookup.size(); ++prefix) {
    int p = 0;
    uint32_t used = 0;
    while (nodes[p] < 0 && used < kL3HuffLookupBits) {
      const int d = -nodes[p++];
      if ((prefix >> (kL3HuffLookupBits - 1 - used)) & 1u) p += d;
      ++used;
    }
    const bool leaf = nodes[p] >= 0;
    const uint32_t at = static_cast<uint32_t>(leaf ? nodes[p] : p);
    lookup[prefix] = at << 16 | (leaf ? kL3HuffLeaf : 0u) | used;
  }
  return lookup;
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
  tree.lookup = lookupOf(tree.nodes);
  return tree;
}

}  // namespace mpa

// Numeric tables of the layer III decoder that follow from formulas or from the standards' data,
// built once for the whole program and read-only afterwards.
#pragma once

#include <cstdint>
#include <vector>

namespace mpa {

constexpr int kL3PowEntries = 8207;  // 15 + 2^13 - 1 values and zero
// DCT-IV rows padded with zeros to whole vector widths.
constexpr int kL3CosLongRow = 20;
constexpr int kL3CosShortRow = 8;

// A Huffman code as an array walk: a negative entry -d reads one bit and on a 1 skips d entries;
// the walk then continues with the next entry. A non-negative entry is the leaf: x in bits 4..7
// and y in bits 0..3 (count1 tables: v, w, x, y in bits 3, 2, 1, 0).
// `lookup` short-cuts the walk's first kL3HuffLookupBits bits: entry = (leaf value or node to
// continue from) << 16 | leaf flag 32 | bits used.
constexpr int kL3HuffLookupBits = 8;
constexpr uint32_t kL3HuffLeaf = 32;
struct L3HuffTree {
  std::vector<int16_t> nodes;  // empty: the table codes nothing
  std::vector<uint32_t> lookup;
  int linbits = 0;
};

struct Layer3Tables {
  float pow43[kL3PowEntries];
  float globalGain[256];  // 2^((g - 210) / 4)
  float step[65];         // 2^(-i / 2)
  // Intensity ratios [position][0 left, 1 right]: MPEG-1, and the lower sampling frequencies for
  // the bases 2^(-1/4) and 2^(-1/2).
  float isMpeg1[32][2];
  float isLsf[2][32][2];
  float aaCs[8], aaCa[8];
  float msScale;  // sqrt(0.5)
  // Cosines of the 18- and 6-point DCT-IV that the 36- and 12-point inverse MDCT reduce to,
  // [input][output] (the table is symmetric).
  float cosLong[18][kL3CosLongRow];
  float cosShort[6][kL3CosShortRow];
  float window[4][36];  // block types 0..3; type 2 uses the first 12
  L3HuffTree huff[34];  // 0..31 big values, 32 and 33 the count1 tables A and B
};

const Layer3Tables& layer3_tables();

// Builds the array walk of one table from its code list (exposed for tests).
L3HuffTree layer3_build_tree(int table);

}  // namespace mpa

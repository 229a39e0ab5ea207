// The MPEG audio standards' numeric tables, compiled in from the CSV data at build time.
#pragma once
#include <cstdint>
#include <span>

namespace mpa_tables {

// One Huffman code word: `bits` holds `length` bits, first bit read in the highest position.
// Count1 tables (32, 33) keep v*8 + w*4 + x*2 + y in `y` with `x` 0.
struct HuffmanCode {
  uint8_t x, y, length;
  uint32_t bits;
};
struct HuffmanTable {
  int linbits;
  std::span<const HuffmanCode> codes;  // empty for tables 0, 4, 14 and out of range
};
HuffmanTable huffman(int table);  // 0..33

struct Band {
  uint16_t start, end;  // end exclusive
};
// Long: 22 bands over 576 lines; short: 13 bands over 192 lines per window. Empty for an
// unknown rate.
std::span<const Band> scalefactor_bands(int rate, bool shortBlock);

struct SlenMpeg1 {
  uint8_t slen1, slen2;
};
SlenMpeg1 slen_mpeg1(int scalefacCompress);  // 0..15, clamped

enum class PartitionBlock { Long = 0, Short = 1, Mixed = 2 };
struct LsfPartition {
  uint8_t count[4];
};
LsfPartition lsf_partition(int row, PartitionBlock block);  // row 0..5, clamped

struct LsfSlen {
  uint8_t row;
  uint8_t slen[4];
  bool preflag;
};
// 0..511 for ordinary channels, 0..255 for the intensity right channel; clamped.
LsfSlen lsf_slen(bool intensityRight, int scalefacCompress);

int pretab(int band);           // 0..21, else 0
double antialias_c(int index);  // 0..7, else 0
// Block types 0, 1, 3: 36 values; 2: 12 values. Empty out of range.
std::span<const double> window(int blockType);

enum class Layer2Table { A = 0, B = 1, C = 2, D = 3, Lsf = 4 };
struct Layer2Allocation {
  int nbal;                          // allocation field width in bits
  std::span<const uint32_t> levels;  // levels[code - 1] for codes 1 .. 2^nbal - 1
};
int layer2_subbands(Layer2Table table);
Layer2Allocation layer2_allocation(Layer2Table table, int subband);  // {0, {}} out of range

// kbit/s for the 4-bit header index; 0 for free format (0), forbidden (15) and out of range.
int bitrate_kbps(bool lsf, int layer, int index);  // layer 1..3

}  // namespace mpa_tables

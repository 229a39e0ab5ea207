#include "audio/mpeg/tables/mpa_tables.h"

#include <algorithm>

#include "audio/mpeg/tables/mpa_tables_data.h"

namespace mpa_tables {

using namespace data;

HuffmanTable huffman(int table) {
  if (table < 0 || table > 33) return {0, {}};
  const HuffmanIndex& ix = k_huffman_index[table];
  return {ix.linbits, {k_huffman_codes + ix.offset, ix.count}};
}

std::span<const Band> scalefactor_bands(int rate, bool shortBlock) {
  for (int i = 0; i < 9; ++i) {
    if (k_sfb_rates[i] != rate) continue;
    if (shortBlock) return k_sfb_short[i];
    return k_sfb_long[i];
  }
  return {};
}

SlenMpeg1 slen_mpeg1(int scalefacCompress) { return k_slen_mpeg1[std::clamp(scalefacCompress, 0, 15)]; }

LsfPartition lsf_partition(int row, PartitionBlock block) {
  return k_lsf_partitions[std::clamp(row, 0, 5)][std::clamp(static_cast<int>(block), 0, 2)];
}

LsfSlen lsf_slen(bool intensityRight, int scalefacCompress) {
  if (intensityRight) return k_lsf_slen[512 + std::clamp(scalefacCompress, 0, 255)];
  return k_lsf_slen[std::clamp(scalefacCompress, 0, 511)];
}

int pretab(int band) { return band >= 0 && band < 22 ? k_pretab[band] : 0; }

double antialias_c(int index) { return index >= 0 && index < 8 ? k_antialias[index] : 0.0; }

std::span<const double> window(int blockType) {
  if (blockType < 0 || blockType > 3) return {};
  return {k_windows[blockType], blockType == 2 ? 12u : 36u};
}

namespace {
constexpr int k_l2_subbands[5] = {27, 30, 8, 12, 30};
}

int layer2_subbands(Layer2Table table) {
  int t = static_cast<int>(table);
  return t >= 0 && t < 5 ? k_l2_subbands[t] : 0;
}

Layer2Allocation layer2_allocation(Layer2Table table, int subband) {
  int t = static_cast<int>(table);
  if (t < 0 || t >= 5 || subband < 0 || subband >= k_l2_subbands[t]) return {0, {}};
  size_t row = static_cast<size_t>(subband);
  for (int i = 0; i < t; ++i) row += static_cast<size_t>(k_l2_subbands[i]);
  const L2Index& ix = k_l2_alloc[row];
  return {ix.nbal, {k_l2_levels + ix.offset, ix.count}};
}

int bitrate_kbps(bool lsf, int layer, int index) {
  if (layer < 1 || layer > 3 || index < 0 || index > 15) return 0;
  return k_bitrates[lsf ? 1 : 0][layer - 1][index];
}

}  // namespace mpa_tables

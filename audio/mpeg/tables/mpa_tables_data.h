// Layout of the generated table source; only mpa_tables.cpp and the generated file see it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa_tables::data {

struct HuffmanIndex {
  int linbits;
  size_t offset, count;
};
struct L2Index {
  int nbal;
  size_t offset, count;
};

extern const HuffmanCode k_huffman_codes[];
extern const HuffmanIndex k_huffman_index[34];
extern const int k_sfb_rates[9];
extern const Band k_sfb_long[9][22];
extern const Band k_sfb_short[9][13];
extern const uint8_t k_pretab[22];
extern const double k_antialias[8];
extern const SlenMpeg1 k_slen_mpeg1[16];
extern const LsfPartition k_lsf_partitions[6][3];
extern const LsfSlen k_lsf_slen[768];
extern const double k_windows[4][36];
extern const uint32_t k_l2_levels[];
extern const L2Index k_l2_alloc[];
extern const uint16_t k_bitrates[2][3][16];

}  // namespace mpa_tables::data

// Layers I and II: the audio data of their frames into the sub-band samples of one decoder
// frame (three layer I frames or one layer II frame).
#pragma once

#include <cstdint>

#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

struct QuantClass {
  int levels;  // grouped classes: levels of each of the three digits; 0 for plain classes
  int bits;    // bits of one value, or of one group of three
  int offset;
  float step;
};

struct Layer12Tables {
  float scale[64];         // 2^((3 - i) / 3), entry 63 = 0
  float step1[16];         // layer I: 2 / (2^(a + 1) - 1)
  QuantClass classes[17];  // 0..2 grouped (3, 5, 9 levels), 3..16 plain with that many bits
  // Layer II: per allocation table, sub-band and allocation code, the class (-1 for none).
  int8_t classOf[5][32][16];
};
const Layer12Tables& layer12_tables();

// Sub-bands below the bound carry one allocation per channel, those above share one.
inline int stereo_bound(const FrameHeader& h, int limit) {
  if (h.mode == kJointStereo) return 4 * (h.modeExt + 1) < limit ? 4 * (h.modeExt + 1) : limit;
  if (h.mode == kSingleChannel) return 0;
  return limit;
}

// The layer II allocation table for a frame (by version, rate and bit rate per channel).
mpa_tables::Layer2Table layer2_table(const FrameHeader& h);

// Decode with the reader after the header and CRC word; leave it at the frame's end. A frame
// with bit-rate index 0 (no frame found) gives zeros.
void layer1_decode(FrameSource& src, SubbandFrame& out);
void layer2_decode(FrameSource& src, SubbandFrame& out);

}  // namespace mpa

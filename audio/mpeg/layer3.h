// Layer III decoder: the state one decoder object keeps between frames and the entry points the
// frame step calls. One decoder frame is one MPEG-1 frame (two granules) or two frames of the
// lower sampling frequencies (one granule each); the result lands in the sub-band array.
#pragma once

#include <cstdint>

#include "audio/mpeg/mpa_frame.h"

namespace mpa {

constexpr int kL3Lines = 576;
constexpr int kL3ReservoirBytes = 4096;

// Side information of one granule of one channel.
struct L3Granule {
  int part23Length = 0;
  int bigValues = 0;  // pairs as read; the decoder clamps the line count
  int globalGain = 0;
  int scalefacCompress = 0;
  int intensityScale = 0;  // lower sampling frequencies, right channel of intensity stereo
  int windowSwitching = 0;
  int blockType = 0;
  int mixed = 0;
  int tableSelect[3] = {};
  int subblockGain[3] = {};  // times 4: the step index
  int region1Start = 0;      // lines
  int region2Start = 0;
  int preflag = 0;
  int scalefacScale = 0;
  int count1Table = 0;  // 0: table A, 1: table B
  int64_t startBit = 0;  // in the reservoir
  int64_t endBit = 0;
};

struct L3SideInfo {
  int mainDataBegin = 0;
  int privateBits = 0;
  int scfsi[2][4] = {};
  L3Granule gr[2][2];  // [granule][channel]
};

// Scale factors of one channel: 22 long bands, 13 short bands of three windows.
struct L3ScaleFactors {
  uint8_t l[22] = {};
  uint8_t s[13][3] = {};
};

// Everything one decoder object keeps for layer III. Plain data: no heap.
struct Layer3State {
  // Bit reservoir, zero-padded past its capacity so reads near the end see zeros.
  uint8_t reservoir[kL3ReservoirBytes + kBitPadBytes] = {};
  int64_t reservoirHeld = 0;
  int64_t reservoirBit = 0;

  // Band starts of the opened rate: 23 long starts (the last is 576), 14 short starts.
  uint16_t longStart[23] = {};
  uint16_t shortStart[14] = {};
  // Reordering maps: identity, short, mixed (line in decode order -> position).
  uint16_t reorder[3][kL3Lines] = {};
  int mixedLongBands = 8;  // long bands of a mixed block: 8 for MPEG-1, 6 otherwise
  int mixedLines = 36;     // lines of a mixed block kept in long order
  bool lsf = false;
  int version = 0;

  L3SideInfo side;
  float lines[2][kL3Lines] = {};
  int nonzeroEnd[2] = {};  // positions at and above this are zero after decoding
  L3ScaleFactors sf[2];
  float overlap[2][kSubbands][18] = {};
  uint8_t intensityPos[kL3Lines] = {};

  // Per-line equaliser: 576 gains for long lines, 192 averaged over three for short lines.
  bool lineEqOn = false;
  float lineEq[kL3Lines] = {};
  float lineEqShort[kL3Lines / 3] = {};
};

// Prepares the state for a stream whose first header is `ref`: band tables and reordering maps
// for its rate, empty reservoir, clear overlap, per-line equaliser off. Builds the shared tables.
void layer3_open(Layer3State& st, const FrameHeader& ref);

// Frames rebuilt ahead of a seek target for a stream of this version and whole slots per
// decoder frame (3 when the slot count gives no usable divisor).
int layer3_reservoir_frames(int version, int64_t wholeSlots);

// Decodes one decoder frame. The source's current header has been parsed and its reader stands
// after the header and CRC word; a header with bit-rate index 0 gives the overlap tail (the
// flush). For the lower sampling frequencies the second frame's header is fetched here. The
// reader is left at the end of the last frame's main data.
void layer3_decode(Layer3State& st, FrameSource& src, const DecoderConfig& cfg, SubbandFrame& out);

// After the input has been moved `b` frames short of the ideal start: refills the reservoir
// from the next `reservoirFrames - b` decoder frames, fully decoding the last `prime` of them
// (0 or 1) so that the overlap buffers are primed. Stops at a missing header.
void layer3_rebuild(Layer3State& st, FrameSource& src, const DecoderConfig& cfg, SubbandFrame& out,
                    int b, int reservoirFrames, int prime);

// Per-line equaliser: 576 gains (32 sub-bands of 18 lines), or null to switch it off. At shift 1
// and 2 the gains are averaged in pairs or fours onto the lines still decoded.
void layer3_set_line_equaliser(Layer3State& st, const float* gains, int shift);

// Empties the reservoir (zeroed) and clears the overlap buffers.
void layer3_reset_history(Layer3State& st);

}  // namespace mpa

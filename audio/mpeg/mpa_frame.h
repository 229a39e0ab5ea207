// What the MPEG audio decoder stream shares with its layer decoders: the frame header, the bit
// reader over a byte buffer, the sub-band samples of one decoder frame, the output settings the
// layers need and the frame source through which a layer asks for the next header.
#pragma once

#include <cstdint>

namespace mpa {

// ---- square root of the table builders ------------------------------------------------------
// The engine installs its own single-precision square root at start; std::sqrt until then.
using SqrtFn = float (*)(float);
void set_sqrt(SqrtFn fn);  // null restores the default
float table_sqrt(float x);

// ---- frame header -----------------------------------------------------------------------------
enum Version : int { kMpeg1 = 0, kMpeg2 = 1, kMpeg25 = 2 };
enum Layer : int { kLayer1 = 0, kLayer2 = 1, kLayer3 = 2 };
enum Mode : int { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kSingleChannel = 3 };

struct FrameHeader {
  int version = 0;       // Version
  int layer = 0;         // Layer
  int crc = 0;           // 1 when a 16-bit CRC word follows the header
  int bitrateIndex = 0;  // 0 marks "no frame" (end of data) for the layer decoders
  int rateIndex = 0;     // 0..2
  int padding = 0;
  int mode = 0;  // Mode
  int modeExt = 0;
};

// Fields of the 32-bit header word (sync in the top 11 bits, not checked here). The version
// of the reserved code 01 is -1, the layer of the reserved code 00 is -1.
FrameHeader header_from_word(uint32_t word);
// Version and layer not reserved, MPEG-2.5 only with layer III, sample rate index not 3.
bool header_usable(const FrameHeader& h);
// A usable first header: sync, version and layer not reserved, MPEG-2.5 only with layer III,
// sample rate index not 3, bit-rate index neither 0 nor 15.
bool header_word_valid(uint32_t word);
// A frame that continues the stream of `ref` (which must be usable): same version, layer, rate and mode class (joint
// stereo counts as stereo), bit-rate index neither 0 nor 15.
bool header_accepts(const FrameHeader& ref, const FrameHeader& h);
inline int mode_class(int mode) { return mode == kJointStereo ? kStereo : mode; }

int header_bitrate_kbps(const FrameHeader& h);  // 0 for index 0, 15 or a reserved field
int header_sample_rate(const FrameHeader& h);   // Hz after the version shift; 0 when reserved
inline int header_channels(const FrameHeader& h) { return h.mode == kSingleChannel ? 1 : 2; }
// Bits from the header's first bit to where the layer data starts.
inline int header_bits(const FrameHeader& h) { return 32 + (h.crc ? 16 : 0); }

// ---- bit reader -------------------------------------------------------------------------------
// Bytes every bit buffer keeps zeroed beyond its capacity.
constexpr int kBitPadBytes = 8;

// Reads big-endian bit fields from `base`. The position word is shared (the owner of the buffer
// moves it too). Bytes at or past `held` and before the start read as zero, so a reader never
// touches memory outside the bytes held, whatever the position says.
struct BitReader {
  const uint8_t* base = nullptr;
  int64_t* pos = nullptr;  // bit position counted from base
  int64_t held = 0;        // bytes holding data

  // n = 0..25.
  uint32_t bits(int n) {
    if (n <= 0) return 0;
    const int64_t p = *pos;
    *pos = p + n;
    return static_cast<uint32_t>((word(p >> 3) << (p & 7)) >> (32 - n));
  }
  uint32_t bit() { return bits(1); }
  uint32_t peek(int n) const {
    if (n <= 0) return 0;
    const int64_t p = *pos;
    return static_cast<uint32_t>((word(p >> 3) << (p & 7)) >> (32 - n));
  }
  void skip(int64_t n) { *pos += n; }
  int64_t position() const { return *pos; }

 private:
  uint32_t word(int64_t byte) const {
    if (byte >= 0 && byte + 4 <= held) {
      return static_cast<uint32_t>(base[byte]) << 24 | static_cast<uint32_t>(base[byte + 1]) << 16 |
             static_cast<uint32_t>(base[byte + 2]) << 8 | base[byte + 3];
    }
    uint32_t w = 0;
    for (int64_t i = byte; i < byte + 4; ++i) w = w << 8 | (i >= 0 && i < held ? base[i] : 0u);
    return w;
  }
};

// ---- one decoder frame ------------------------------------------------------------------------
constexpr int kSlots = 36;
constexpr int kSubbands = 32;
// Sub-band samples the layers fill and the synthesis reads: [channel][slot][sub-band].
struct SubbandFrame {
  float s[2][kSlots][kSubbands];
};

// Output settings a layer decoder needs while decoding.
struct DecoderConfig {
  int shift = 0;           // 0..2: 32 >> shift sub-bands (576 >> shift lines) are produced
  int streamChannels = 2;  // 1 for single channel, else 2 (known after the first header)
};

// The frame-size model of the opened stream (seeking and the layer III reservoir count).
struct FrameModel {
  int slotBytes = 1;         // 4 for layer I, else 1
  int64_t whole = 0;         // whole slots per decoder frame
  int64_t remainder = 0;     // fractional slots, numerator over `rate`
  int rate = 0;              // sample rate after the version shift
  int reservoirFrames = 0;   // layer III: frames rebuilt before a seek target
};

// The decoder stream as seen by a layer decoder: the header just parsed, a reader that stands
// after it (and after the CRC word), and the search for the next accepted header.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual const FrameHeader& header() const = 0;
  virtual BitReader& reader() = 0;
  // Synchronises on the next accepted header, parses it and leaves the reader after it and
  // its CRC word. False when none is found; header().bitrateIndex is then 0.
  virtual bool nextHeader() = 0;
};

}  // namespace mpa

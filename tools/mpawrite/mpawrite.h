// Test-only writers around MPEG audio: layer I frames from given sub-band samples, MPEG-1
// system streams around audio bytes, RIFF, "INFO" and ID3 wrappers, junk and deliberate faults.
// Independent of the decoder under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mpawrite {

using Bytes = std::vector<uint8_t>;

struct Layer1Params {
  int version = 0;        // 0 MPEG-1, 1 MPEG-2 (lower sampling frequencies)
  int rateIndex = 0;      // 0: 44.1 kHz (22.05 for MPEG-2), 1: 48, 2: 32
  int bitrateIndex = 14;  // 448 kbit/s (256 for MPEG-2)
  int mode = 3;           // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  int modeExt = 0;
  int allocation = 7;     // one allocation code for every coded sub-band: allocation + 1 bits
  int subbands = 32;      // sub-bands from here on carry no allocation
  bool crc = false;
  int padding = 0;
};

// Frame bytes: 4 x (12 x bit rate / sample rate + padding).
int layer1_frame_bytes(const Layer1Params& p);

// The padding bit of frame `index` of a stream, as an encoder sets it so that the frames average
// the nominal bit rate.
int layer1_padding(const Layer1Params& p, int64_t index);

// One frame from 12 slots of sub-band samples per channel, s[ch][slot][sub-band] with
// |value| < 2. Each sub-band's scale factor is the smallest that holds its peak; the samples
// are quantised to the nearest level. Throws std::invalid_argument when the frame cannot hold
// the bits.
Bytes layer1_frame(const Layer1Params& p, const float (*s)[12][32]);

// The values the decoder should reproduce for `s`: the same quantisation, dequantised.
void layer1_dequantised(const Layer1Params& p, const float (*s)[12][32], float (*out)[12][32]);

struct SystemOptions {
  int packetPayload = 2000;        // audio bytes per packet
  bool listAudioInHeader = true;   // the system header names stream 0xC0
  bool foreignPackets = false;     // a packet of stream 0xE0 between audio packets
  bool packEveryPacket = false;    // a pack header before every audio packet
  int stuffing = 0;                // 0xFF bytes in each audio packet header
  bool bufferField = false;        // the 2-byte buffer field
  int timeStamps = 0;              // 0: the 0x0F byte, 1: one time stamp, 2: both
  int badPacketAt = -1;            // this audio packet gets a malformed header (-1: none)
  int shortHeaderLength = -1;      // >= 0: the system header's length field
};
Bytes system_stream(const Bytes& audio, const SystemOptions& o = {});

// RIFF WAVE holding MPEG audio: "fmt " (MPEG wave format), "fact", optional extra chunk, "data".
Bytes riff_wrap(const Bytes& audio, bool withData = true);
// An "INFO" block of `blockBytes` before the audio.
Bytes info_prefix(const Bytes& audio, uint32_t blockBytes);
// An ID3v1 trailer (128 bytes starting with "TAG").
Bytes id3v1_trailer(const Bytes& audio);
// An ID3v2 head of 10 bytes plus `tagBytes` (syncsafe size), plus a 10-byte footer when asked.
Bytes id3v2_head(const Bytes& audio, uint32_t tagBytes, bool footer = false);
// `n` bytes that hold no frame sync (no 0xFF), from a seed.
Bytes junk(size_t n, uint32_t seed = 1);

Bytes concat(std::initializer_list<const Bytes*> parts);
bool write_file(const std::string& path, const Bytes& bytes);

}  // namespace mpawrite

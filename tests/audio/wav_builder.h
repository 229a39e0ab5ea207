// Small WAV images built by the tests: chunks in any order with any sizes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plat/bytes.h"

namespace wav_test {

struct Chunk {
  std::string id;          // four characters
  std::vector<uint8_t> payload;
  int64_t declared = -1;   // size written in the header; -1: the payload's size
};

inline std::vector<uint8_t> fmtPayload(uint16_t channels, uint32_t rate, uint32_t avg, uint16_t align, uint16_t bits,
                                       size_t size = 16) {
  plat::ByteWriter w;
  w.u16(1);
  w.u16(channels);
  w.u32(rate);
  w.u32(avg);
  w.u16(align);
  w.u16(bits);
  std::vector<uint8_t> p = w.take();
  p.resize(size, 0);
  return p;
}

inline void putChunk(plat::ByteWriter& w, const Chunk& c) {
  w.bytes(c.id.data(), 4);
  w.u32(static_cast<uint32_t>(c.declared >= 0 ? c.declared : static_cast<int64_t>(c.payload.size())));
  w.bytes(c.payload.data(), c.payload.size());
}

// "RIFF" <size> "WAVE" and the chunks; riffSize -1: the true size.
inline std::vector<uint8_t> riffWave(const std::vector<Chunk>& chunks, int64_t riffSize = -1) {
  plat::ByteWriter body;
  body.bytes("WAVE", 4);
  for (const Chunk& c : chunks) putChunk(body, c);
  plat::ByteWriter w;
  w.bytes("RIFF", 4);
  w.u32(static_cast<uint32_t>(riffSize >= 0 ? riffSize : static_cast<int64_t>(body.size())));
  w.bytes(body.data().data(), body.size());
  return w.take();
}

// A plain PCM file: 16-bit stereo at 22050 Hz, n data bytes.
inline std::vector<uint8_t> pcmWave(uint32_t dataBytes, uint32_t avg = 88200) {
  return riffWave({{"fmt ", fmtPayload(2, 22050, avg, 4, 16)}, {"data", std::vector<uint8_t>(dataBytes, 0)}});
}

}  // namespace wav_test

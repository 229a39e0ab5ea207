// The mixer's output as a RIFF WAVE file, for a person to listen to a test's sound.
#include <cstdio>

#include "plat/audio.h"
#include "plat/bytes.h"

namespace plat {

bool writeMixWave(const std::string& hostPath, std::span<const int16_t> stereo) {
  const uint64_t dataBytes = static_cast<uint64_t>(stereo.size()) * 2;
  if (dataBytes > 0x7FFFFFF0u) return false;
  ByteWriter w;
  w.fixedString("RIFF", 4);
  w.u32(static_cast<uint32_t>(36 + dataBytes));
  w.fixedString("WAVE", 4);
  w.fixedString("fmt ", 4);
  w.u32(16);
  w.u16(kWaveFormatPcm);
  w.u16(kMixChannels);
  w.u32(kMixRate);
  w.u32(kMixRate * kMixChannels * 2);
  w.u16(kMixChannels * 2);
  w.u16(16);
  w.fixedString("data", 4);
  w.u32(static_cast<uint32_t>(dataBytes));
  for (int16_t s : stereo) w.i16(s);
  std::FILE* f = std::fopen(hostPath.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(w.data().data(), 1, w.size(), f) == w.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace plat

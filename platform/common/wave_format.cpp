// What the mixer can play.
#include "plat/audio.h"

namespace plat {

bool waveFormatUsable(const WaveFormat& f) {
  if (f.formatTag != kWaveFormatPcm) return false;
  if (f.channels != 1 && f.channels != 2) return false;
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
  if (f.blockAlign != f.channels * f.bitsPerSample / 8) return false;
  return f.samplesPerSec >= 1 && f.samplesPerSec <= 192000;
}

WaveFormat pcmFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample) {
  WaveFormat f;
  f.channels = channels;
  f.samplesPerSec = samplesPerSec;
  f.bitsPerSample = bitsPerSample;
  f.blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  f.avgBytesPerSec = samplesPerSec * f.blockAlign;
  return f;
}

}  // namespace plat

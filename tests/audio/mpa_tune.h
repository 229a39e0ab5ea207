// Short layer I tunes for the front-end and music tests: a two-tone chord through mpawrite's
// frame writer, one frame per 384 samples.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/mpawrite/mpawrite.h"

namespace mpa_tune {

// `frames` layer I frames; stereo tunes carry the chord at different phases per channel.
inline std::vector<uint8_t> layer1(int frames, const mpawrite::Layer1Params& p = {}) {
  std::vector<uint8_t> out;
  static float s[2][12][32];
  for (int f = 0; f < frames; ++f) {
    for (int slot = 0; slot < 12; ++slot) {
      const double n = f * 12 + slot;
      for (int ch = 0; ch < 2; ++ch) {
        for (int sb = 0; sb < 32; ++sb) s[ch][slot][sb] = 0.0f;
        s[ch][slot][2] = static_cast<float>(0.6 * std::sin(0.21 * n + 1.3 * ch));
        s[ch][slot][7] = static_cast<float>(0.2 * std::sin(0.05 * n));
      }
    }
    const std::vector<uint8_t> frame = mpawrite::layer1_frame(p, s);
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

inline mpawrite::Layer1Params withCrc() {
  mpawrite::Layer1Params p;
  p.crc = true;
  return p;
}

inline mpawrite::Layer1Params stereo48k() {
  mpawrite::Layer1Params p;
  p.rateIndex = 1;
  p.mode = 0;
  p.allocation = 3;
  p.subbands = 16;
  return p;
}

}  // namespace mpa_tune

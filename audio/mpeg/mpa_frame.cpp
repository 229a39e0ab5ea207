#include "audio/mpeg/mpa_frame.h"

#include <atomic>
#include <cmath>

#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

namespace {

float default_sqrt(float x) { return std::sqrt(x); }
std::atomic<SqrtFn> g_sqrt{default_sqrt};

constexpr int k_rates[3] = {44100, 48000, 32000};
// Header bits 00, 01, 10, 11 to the version; 01 is reserved.
constexpr int k_version_map[4] = {kMpeg25, -1, kMpeg2, kMpeg1};

}  // namespace

void set_sqrt(SqrtFn fn) { g_sqrt.store(fn ? fn : default_sqrt); }
float table_sqrt(float x) { return g_sqrt.load()(x); }

FrameHeader header_from_word(uint32_t word) {
  FrameHeader h;
  h.version = k_version_map[(word >> 19) & 3];
  const int layerBits = static_cast<int>((word >> 17) & 3);
  h.layer = layerBits == 0 ? -1 : 3 - layerBits;
  h.crc = ((word >> 16) & 1) == 0 ? 1 : 0;
  h.bitrateIndex = static_cast<int>((word >> 12) & 15);
  h.rateIndex = static_cast<int>((word >> 10) & 3);
  h.padding = static_cast<int>((word >> 9) & 1);
  h.mode = static_cast<int>((word >> 6) & 3);
  h.modeExt = static_cast<int>((word >> 4) & 3);
  return h;
}

bool header_usable(const FrameHeader& h) {
  if (h.version < 0 || h.version > 2 || h.layer < 0 || h.layer > 2) return false;
  if (h.version == kMpeg25 && h.layer != kLayer3) return false;
  return h.rateIndex >= 0 && h.rateIndex < 3;
}

bool header_word_valid(uint32_t word) {
  if ((word & 0xFFE00000u) != 0xFFE00000u) return false;
  const FrameHeader h = header_from_word(word);
  return header_usable(h) && h.bitrateIndex != 0 && h.bitrateIndex != 15;
}

bool header_accepts(const FrameHeader& ref, const FrameHeader& h) {
  return header_usable(ref) && h.version == ref.version && h.layer == ref.layer && h.rateIndex == ref.rateIndex &&
         h.bitrateIndex != 0 && h.bitrateIndex != 15 && mode_class(h.mode) == mode_class(ref.mode);
}

int header_bitrate_kbps(const FrameHeader& h) {
  if (h.version < 0 || h.layer < 0) return 0;
  return mpa_tables::bitrate_kbps(h.version != kMpeg1, h.layer + 1, h.bitrateIndex);
}

int header_sample_rate(const FrameHeader& h) {
  if (h.version < 0 || h.version > 2 || h.rateIndex < 0 || h.rateIndex > 2) return 0;
  return k_rates[h.rateIndex] >> h.version;
}

}  // namespace mpa

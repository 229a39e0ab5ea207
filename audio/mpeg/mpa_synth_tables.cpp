#include <cmath>
#include <mutex>
#include <numbers>

#include "audio/mpeg/mpa_synth.h"

namespace mpa {

namespace {

SynthTables g_tables;
std::once_flag g_once;

// Built once: the music feeder and the sound module's stream thread may open decoders at the
// same time.
void build(SynthTables& t) {
  constexpr float a5 = -0.34171220660209656f;
  constexpr float a6 = 0.08663075417280197f;
  constexpr float a7 = -0.008497290313243866f;
  const float c[8] = {0.5f,
                      -table_sqrt(1.0f - a7 * a7),
                      table_sqrt(1.0f - a6 * a6),
                      -table_sqrt(1.0f - a5 * a5),
                      table_sqrt(0.5f),
                      a5,
                      a6,
                      a7};
  // A cosine series close to 32768 times the standard's window, signed for the folded history
  // below: negative where bit 1 of the index is clear, so that a positive sub-band 0 gives a
  // positive output (the peak W[8] is -37519). The opposite pattern (negated where bit 1 is
  // set) makes every output sample the exact negation of the standard filter bank's, which
  // plays every tune with its polarity turned over.
  for (int i = 0; i < 1024; ++i) {
    const double p = 32.0 * i + (i >> 5);
    double sum = 0.0;
    for (int k = 0; k < 8; ++k) sum += c[k] * std::cos(p * k * std::numbers::pi / 256.0);
    const float w = static_cast<float>(8192.0 * sum);
    t.window[i] = (i & 2) ? w : -w;
  }
  for (int i = 0; i < 512; ++i) t.half[i] = t.window[i % 32 + 2 * (i - i % 32)];
  for (int i = 0; i < 256; ++i) t.quarter[i] = t.window[i % 32 + 4 * (i - i % 32)];
  t.cosFactor[0] = 0.0f;
  for (int k = 0; k <= 4; ++k) {
    const int n = 1 << k;
    for (int i = 0; i < n; ++i) {
      t.cosFactor[n + i] = static_cast<float>(0.5 / std::cos((2 * i + 1) * std::numbers::pi / (4.0 * n)));
    }
  }
}

}  // namespace

const SynthTables& synth_tables() {
  std::call_once(g_once, [] { build(g_tables); });
  return g_tables;
}

}  // namespace mpa

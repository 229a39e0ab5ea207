// The polyphase synthesis filter bank and PCM output of the MPEG audio decoder: sub-band
// samples of one decoder frame in, interleaved 16-bit or float PCM out, with channel mixing,
// gain, a sub-band equaliser and rate reduction by 2 or 4.
#pragma once

#include <cstdint>

#include "audio/mpeg/mpa_frame.h"

namespace mpa {

// Tables shared by every decoder, built once.
struct SynthTables {
  float window[1024];    // in 16-bit units; rows of 32, only rows 0..16 are read
  float half[512];       // every second row of the window
  float quarter[256];    // every fourth row
  float cosFactor[32];   // entry 2^k + i = 0.5 / cos((2i + 1) pi / (4 * 2^k)), k = 0..4
};
const SynthTables& synth_tables();

// X[m] = sum over k of cos(m (2k + 1) pi / (2n)) x[k], m = 0..n-1, for n = 32, 16 or 8.
void synth_dct(const float* x, float* out, int n);

// Float to 16-bit: clamped in float first, then truncated toward zero; NaN gives 0.
inline int16_t pcm16(float v) {
  // Selects rather than branches, so that loops over samples vectorise.
  float c = v < -32768.0f ? -32768.0f : v;
  c = c > 32767.0f ? 32767.0f : c;
  c = v == v ? c : 0.0f;
  return static_cast<int16_t>(static_cast<int>(c));
}

class Synthesis {
 public:
  // Resets the state and the mixing, gain and equaliser settings. `requested`: 0 as the
  // stream, 1, 2, or -2 (mono mixed into both); other values count as 0.
  void configure(int requested, int streamChannels, int shift, int bytesPerSample);
  void reset();  // ring index 0, history zero

  void setGain(const float* gain);      // null: 1.0
  void setMatrix(const float* m9);      // null or the neutral matrix: off
  void setEqualiser(const float* g32);  // null or all 1.0: off

  // Runs the 36 slots of `in` (which the mixing may change); `dest` null only advances the
  // filter state. Returns the bytes written.
  int64_t run(SubbandFrame& in, uint8_t* dest);

  int outputChannels() const { return outChannels_; }
  int shift() const { return shift_; }
  int64_t frameBytes() const {
    return static_cast<int64_t>(bytesPerSample_) * 1152 * outChannels_ >> shift_;
  }

 private:
  void mix(float* l, float* r, int n) const;
  void filter(int ch, const float* x, float* out);
  void layoutWindow();
  template <typename Sample>
  void put(const float* l, const float* r, uint8_t* dest, int n) const;

  int streamChannels_ = 2;
  int outChannels_ = 2;
  int shift_ = 0;
  int bytesPerSample_ = 2;
  bool downmix_ = false;
  bool upmix_ = false;
  int synthChannels_ = 2;
  float gain_ = 1.0f;
  bool eqOn_ = false;
  float eq_[32] = {};
  bool matrixOn_ = false;
  float m_[9] = {};
  int ring_ = 0;
  // Rows side by side (17 used, padded for whole vectors), so that the window sums every output
  // of a slot at once; the window is laid out the same way per odd column.
  static constexpr int kRows = 20;
  float hist_[2][2][16][kRows] = {};  // [channel][half][column][row]
  float windowA_[8][16][kRows] = {};  // [column / 2][k][row]: the first half's outputs
  float windowB_[8][16][kRows] = {};  // the mirrored second half's
};

}  // namespace mpa

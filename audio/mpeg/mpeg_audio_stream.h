// A read-only stream of PCM decoded from the MPEG audio frames of an inner stream (layers I, II
// and III). Read gives PCM bytes, seek takes a PCM byte offset, control 49 answers the end.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/stream/stream.h"

namespace audio {

class CMpegAudioStream : public CStream {
 public:
  // Controls answered besides those of the base.
  enum : int {
    kControlAtEnd = 49,
    kControlGain = 4096,         // arg: const float* (null: 1.0)
    kControlMatrix = 4097,       // arg: const float[9] (null or the neutral matrix: off)
    kControlEqualiser = 4098,    // arg: const float[32] (null: off)
    kControlLineEqualiser = 4099,  // arg: const float[576], 32 sub-bands of 18 lines
    kControlSetExactSeek = 4100,   // v != 0 sets it; returns the old value
    kControlGetExactSeek = 4101,
  };

  CMpegAudioStream();
  ~CMpegAudioStream() override;

  // Opens on `input` (not owned; it must not be read by anyone else while open). `bits16`
  // selects signed 16-bit samples, else floats in 16-bit units. `shift` 0..2 divides the rate
  // by 1, 2 or 4. `outputChannels`: 0 as the stream, 1, 2, or -2 (mono mixed into both).
  // Reports the output rate and whether two channels are written. 0, or -1.
  int open(CStream* input, int* sampleRate, int* stereo, bool bits16, int shift, int outputChannels);

  // PCM bytes of one decoder frame (1152 >> shift samples per output channel).
  int64_t frameBytes() const;

  struct Impl;

 protected:
  int rawClose() override;
  int64_t rawRead(uint8_t* buffer, int64_t n) override;
  int64_t rawPeek(uint8_t* buffer, int64_t n) override;
  int64_t rawSeek(int64_t position) override;
  int64_t rawControl(int code, void* arg, int64_t v) override;

 private:
  std::unique_ptr<Impl> d_;
};

}  // namespace audio

// The software mixer behind both audio devices: its buffers, and the mix of every playing one
// into 22,050 Hz 16-bit stereo. No SDL here; the devices only call mix() from their audio
// thread (SDL's callback, or fake time).
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "plat/audio.h"

namespace plat::common {

// 10^(mB/2000) for hundredths of dB; 0 at -10000 and below, 1 at 0 and above.
double attenuationGain(int32_t mB) noexcept;
// The same as a Q15 factor (32768 = 1.0), what the mix multiplies by.
int32_t attenuationQ15(int32_t mB) noexcept;

struct MixVoice;

class Mixer : public std::enable_shared_from_this<Mixer> {
 public:
  Mixer() = default;
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // A zeroed buffer that this mixer plays: DS_OK, DSERR_BADFORMAT, DSERR_INVALIDPARAM (under
  // one block) or DSERR_OUTOFMEMORY. The buffer keeps the mixer alive.
  int32_t createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps, std::unique_ptr<ISoundBuffer>& out);

  // Adds every playing buffer into `frames` stereo frames at kMixRate (overwriting out):
  // linear resampling, volume and pan gains, a saturating sum. Moves the play cursors, stops
  // static buffers at their end, wraps looping ones and sets the notifications passed. Never
  // allocates. Returns how many notifications it set.
  uint32_t mix(int16_t* out, uint32_t frames) noexcept;

  // Loses every buffer (tests).
  void loseAll();
  size_t bufferCount() const;

  // The lock that mix() holds; buffers take it to change what the mix reads.
  std::mutex& lock() const { return mutex_; }
  void attach(MixVoice* v);
  void detach(MixVoice* v);

 private:
  mutable std::mutex mutex_;
  std::vector<MixVoice*> voices_;
};

std::shared_ptr<Mixer> makeMixer();

}  // namespace plat::common

// What the mixer reads of one sound buffer. Every field is guarded by the mixer's lock.
#pragma once
#include <cstdint>
#include <vector>

#include "plat/audio.h"

namespace plat::common {

struct MixVoice {
  WaveFormat format;
  uint32_t caps = 0;
  uint32_t frames = 0;         // whole blocks in data
  std::vector<uint8_t> data;   // bytes() long
  uint64_t pos = 0;            // play cursor in frames, 32.32 fixed point
  uint64_t step = 0;           // source frames per output frame, 32.32
  bool playing = false;
  bool looping = false;
  bool lost = false;
  int32_t volume = 0, pan = 0;
  int32_t gainLeft = 32768, gainRight = 32768;  // Q15
  std::vector<Notification> notes;

  uint32_t frame() const { return static_cast<uint32_t>(pos >> 32); }
  // The byte of silence: 8-bit data is unsigned.
  uint8_t silence() const { return format.bitsPerSample == 8 ? 0x80 : 0; }
  // Recomputes the side gains from volume and pan.
  void updateGains() noexcept;
  // Sets the events of the notifications at this frame offset (or, for kStopOffset, those of
  // DSBPN_OFFSETSTOP); the count set.
  uint32_t fireAt(uint32_t frame) noexcept;
  uint32_t fireOnStop() noexcept;
  // Sets those passed when the cursor went from frame `from` to `to` (excluding from,
  // including to), having wrapped `wraps` times.
  uint32_t firePassed(uint32_t from, uint32_t to, uint32_t wraps) noexcept;
};

}  // namespace plat::common

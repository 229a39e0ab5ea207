// The mix: every playing buffer resampled to 22,050 Hz stereo, scaled and summed with
// saturation, in chunks on the stack so that nothing is allocated on the audio thread.
#include "common/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/mix_voice.h"

namespace plat::common {

double attenuationGain(int32_t mB) noexcept {
  if (mB <= DSBVOLUME_MIN) return 0.0;
  if (mB >= 0) return 1.0;
  return std::pow(10.0, static_cast<double>(mB) / 2000.0);
}

int32_t attenuationQ15(int32_t mB) noexcept {
  return static_cast<int32_t>(std::lround(attenuationGain(mB) * 32768.0));
}

void MixVoice::updateGains() noexcept {
  // Pan lowers the opposite side only.
  const int32_t v = attenuationQ15(volume);
  const int32_t left = pan > 0 ? attenuationQ15(-pan) : 32768;
  const int32_t right = pan < 0 ? attenuationQ15(pan) : 32768;
  gainLeft = static_cast<int32_t>((static_cast<int64_t>(v) * left) >> 15);
  gainRight = static_cast<int32_t>((static_cast<int64_t>(v) * right) >> 15);
}

uint32_t MixVoice::fireAt(uint32_t at) noexcept {
  uint32_t fired = 0;
  for (const Notification& n : notes) {
    if (n.offset == DSBPN_OFFSETSTOP || n.offset / format.blockAlign != at) continue;
    n.event->set();
    ++fired;
  }
  return fired;
}

uint32_t MixVoice::fireOnStop() noexcept {
  uint32_t fired = 0;
  for (const Notification& n : notes) {
    if (n.offset != DSBPN_OFFSETSTOP) continue;
    n.event->set();
    ++fired;
  }
  return fired;
}

uint32_t MixVoice::firePassed(uint32_t from, uint32_t to, uint32_t wraps) noexcept {
  uint32_t fired = 0;
  for (const Notification& n : notes) {
    if (n.offset == DSBPN_OFFSETSTOP) continue;
    const uint32_t o = n.offset / format.blockAlign;
    const bool passed = wraps == 0 ? (o > from && o <= to) : (wraps > 1 || o > from || o <= to);
    if (!passed) continue;
    n.event->set();
    ++fired;
  }
  return fired;
}

namespace {

template <int Channels, bool Wide>
inline int32_t sampleAt(const uint8_t* d, uint32_t frame, int c) noexcept {
  if constexpr (Wide) {
    const uint8_t* p = d + (static_cast<size_t>(frame) * Channels + c) * 2;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
  } else {
    return (static_cast<int32_t>(d[static_cast<size_t>(frame) * Channels + c]) - 128) * 256;
  }
}

template <int Channels, bool Wide>
uint32_t mixVoice(MixVoice& v, int32_t* acc, uint32_t frames) noexcept {
  const uint8_t* d = v.data.data();
  const uint32_t n = v.frames;
  const uint64_t end = static_cast<uint64_t>(n) << 32;
  const int32_t gl = v.gainLeft, gr = v.gainRight;
  const bool loop = v.looping;
  const uint32_t from = v.frame();
  uint64_t pos = v.pos;
  uint64_t wraps = 0;
  bool ended = false;
  for (uint32_t k = 0; k < frames; ++k) {
    if (pos >= end) {
      if (!loop) {
        ended = true;
        break;
      }
      wraps += pos / end;
      pos %= end;
    }
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    uint32_t j = i + 1;
    if (j >= n) j = loop ? 0 : i;
    const int32_t f = static_cast<int32_t>((pos >> 17) & 0x7FFF);
    const int32_t l0 = sampleAt<Channels, Wide>(d, i, 0);
    const int32_t l = l0 + (((sampleAt<Channels, Wide>(d, j, 0) - l0) * f) >> 15);
    int32_t r = l;
    if constexpr (Channels == 2) {
      const int32_t r0 = sampleAt<Channels, Wide>(d, i, 1);
      r = r0 + (((sampleAt<Channels, Wide>(d, j, 1) - r0) * f) >> 15);
    }
    acc[2 * k] += (l * gl) >> 15;
    acc[2 * k + 1] += (r * gr) >> 15;
    pos += v.step;
  }
  if (pos >= end) {
    if (loop) {
      wraps += pos / end;
      pos %= end;
    } else {
      ended = true;
    }
  }
  if (ended) {
    // A static buffer stops at its end and reads position 0 afterwards.
    uint32_t fired = v.firePassed(from, n - 1, 0);
    v.playing = false;
    v.pos = 0;
    return fired + v.fireOnStop();
  }
  v.pos = pos;
  if (v.notes.empty()) return 0;
  return v.firePassed(from, v.frame(), static_cast<uint32_t>(std::min<uint64_t>(wraps, 2)));
}

uint32_t mixOne(MixVoice& v, int32_t* acc, uint32_t frames) noexcept {
  const bool wide = v.format.bitsPerSample == 16;
  if (v.format.channels == 2) return wide ? mixVoice<2, true>(v, acc, frames) : mixVoice<2, false>(v, acc, frames);
  return wide ? mixVoice<1, true>(v, acc, frames) : mixVoice<1, false>(v, acc, frames);
}

}  // namespace

Mixer::~Mixer() = default;

uint32_t Mixer::mix(int16_t* out, uint32_t frames) noexcept {
  constexpr uint32_t kChunk = 256;
  int32_t acc[kChunk * 2];
  uint32_t fired = 0;
  std::lock_guard<std::mutex> guard(mutex_);
  while (frames > 0) {
    const uint32_t n = std::min(frames, kChunk);
    std::memset(acc, 0, sizeof(int32_t) * 2 * n);
    for (MixVoice* v : voices_)
      if (v->playing && !v->lost && v->frames > 0) fired += mixOne(*v, acc, n);
    for (uint32_t i = 0; i < 2 * n; ++i) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
    out += 2 * n;
    frames -= n;
  }
  return fired;
}

void Mixer::attach(MixVoice* v) {
  std::lock_guard<std::mutex> guard(mutex_);
  voices_.push_back(v);
}

void Mixer::detach(MixVoice* v) {
  std::lock_guard<std::mutex> guard(mutex_);
  voices_.erase(std::remove(voices_.begin(), voices_.end(), v), voices_.end());
}

void Mixer::loseAll() {
  std::lock_guard<std::mutex> guard(mutex_);
  for (MixVoice* v : voices_) {
    v->lost = true;
    v->playing = false;
    std::fill(v->data.begin(), v->data.end(), v->silence());
  }
}

size_t Mixer::bufferCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return voices_.size();
}

std::shared_ptr<Mixer> makeMixer() { return std::make_shared<Mixer>(); }

}  // namespace plat::common

// One sound buffer of the mixer: the calls a caller makes, checked and applied under the mixer's
// lock. Lock hands out a staging copy so that the audio thread never reads half-written bytes.
#include <algorithm>
#include <new>

#include "common/event_quiet.h"
#include "common/mix_voice.h"
#include "common/mixer.h"

namespace plat {

bool waveFormatUsable(const WaveFormat& f) {
  if (f.formatTag != kWaveFormatPcm) return false;
  if (f.channels != 1 && f.channels != 2) return false;
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
  if (f.blockAlign != f.channels * f.bitsPerSample / 8) return false;
  return f.samplesPerSec >= 1 && f.samplesPerSec <= 192000;
}

namespace common {

namespace {

class MixerBuffer final : public ISoundBuffer {
 public:
  MixerBuffer(std::shared_ptr<Mixer> mixer, const WaveFormat& format, uint32_t bytes, uint32_t caps)
      : mixer_(std::move(mixer)) {
    v_.format = format;
    v_.caps = caps;
    v_.frames = bytes / format.blockAlign;
    v_.data.assign(bytes, v_.silence());
    v_.step = (static_cast<uint64_t>(format.samplesPerSec) << 32) / kMixRate;
    mixer_->attach(&v_);
  }
  // Out of the mix before the memory goes.
  ~MixerBuffer() override { mixer_->detach(&v_); }

  int32_t lock(uint32_t offset, uint32_t bytes, LockRegion& out, uint32_t flags) override {
    out = LockRegion{};
    std::lock_guard<std::mutex> api(api_);
    const uint32_t size = static_cast<uint32_t>(v_.data.size());
    {
      std::lock_guard<std::mutex> guard(mixer_->lock());
      if (faults_.failLocks > 0) {
        --faults_.failLocks;
        return faults_.lockError;
      }
      if (v_.lost) return DSERR_BUFFERLOST;
      if (locked_) return DSERR_INVALIDCALL;
      if (flags & DSBLOCK_FROMWRITECURSOR) offset = writeCursor();
    }
    if (flags & DSBLOCK_ENTIREBUFFER) {
      offset = 0;
      bytes = size;
    }
    if (bytes == 0 || bytes > size || offset >= size) return DSERR_INVALIDPARAM;
    try {
      staging_.resize(bytes);
    } catch (const std::bad_alloc&) {
      return DSERR_OUTOFMEMORY;
    }
    const uint32_t first = std::min(bytes, size - offset);
    {
      std::lock_guard<std::mutex> guard(mixer_->lock());
      std::copy_n(v_.data.begin() + offset, first, staging_.begin());
      std::copy_n(v_.data.begin(), bytes - first, staging_.begin() + first);
    }
    locked_ = true;
    lockOffset_ = offset;
    out.first = staging_.data();
    out.firstBytes = first;
    if (bytes > first) {
      out.second = staging_.data() + first;
      out.secondBytes = bytes - first;
    }
    lockFirst_ = out.firstBytes;
    lockSecond_ = out.secondBytes;
    return DS_OK;
  }

  int32_t unlock(const LockRegion& r) override {
    std::lock_guard<std::mutex> api(api_);
    if (!locked_) return DSERR_INVALIDCALL;
    if (r.first != staging_.data() || r.firstBytes > lockFirst_ || r.secondBytes > lockSecond_ ||
        (r.secondBytes > 0 && r.second != staging_.data() + lockFirst_))
      return DSERR_INVALIDPARAM;
    {
      std::lock_guard<std::mutex> guard(mixer_->lock());
      std::copy_n(staging_.begin(), r.firstBytes, v_.data.begin() + lockOffset_);
      std::copy_n(staging_.begin() + lockFirst_, r.secondBytes, v_.data.begin());
    }
    locked_ = false;
    return DS_OK;
  }

  int32_t play(bool loop) override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (v_.lost) return DSERR_BUFFERLOST;
    const bool starting = !v_.playing;
    v_.playing = true;
    v_.looping = loop;
    // A notification on the starting position fires now (a streaming start relies on it).
    if (starting) v_.fireAt(v_.frame());
    return DS_OK;
  }

  int32_t stop() override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (v_.playing) {
      v_.playing = false;
      v_.fireOnStop();
    }
    return DS_OK;
  }

  int32_t getCurrentPosition(uint32_t* play, uint32_t* write) override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (play) *play = v_.frame() * v_.format.blockAlign;
    if (write) *write = writeCursor();
    return DS_OK;
  }

  int32_t setCurrentPosition(uint32_t offset) override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (offset >= v_.data.size()) return DSERR_INVALIDPARAM;
    v_.pos = static_cast<uint64_t>(offset / v_.format.blockAlign) << 32;
    return DS_OK;
  }

  uint32_t status() override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    uint32_t s = 0;
    if (v_.playing) s |= DSBSTATUS_PLAYING | (v_.looping ? DSBSTATUS_LOOPING : 0);
    if (v_.lost) s |= DSBSTATUS_BUFFERLOST;
    return s;
  }

  int32_t setVolume(int32_t mB) override {
    if (!(v_.caps & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (mB < DSBVOLUME_MIN || mB > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    v_.volume = mB;
    v_.updateGains();
    return DS_OK;
  }

  int32_t setPan(int32_t pan) override {
    if (!(v_.caps & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    v_.pan = pan;
    v_.updateGains();
    return DS_OK;
  }

  int32_t getVolume(int32_t* mB) override {
    if (!(v_.caps & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (!mB) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    *mB = v_.volume;
    return DS_OK;
  }

  int32_t getPan(int32_t* pan) override {
    if (!(v_.caps & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (!pan) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    *pan = v_.pan;
    return DS_OK;
  }

  int32_t setNotifications(std::span<const Notification> list) override {
    if (!(v_.caps & DSBCAPS_CTRLPOSITIONNOTIFY)) return DSERR_CONTROLUNAVAIL;
    for (const Notification& n : list)
      if (!n.event || (n.offset != DSBPN_OFFSETSTOP && n.offset >= v_.data.size())) return DSERR_INVALIDPARAM;
    std::vector<Notification> notes(list.begin(), list.end());
    for (const Notification& n : notes) EventAccess::markAwaited(*n.event);
    std::lock_guard<std::mutex> guard(mixer_->lock());
    v_.notes.swap(notes);
    return DS_OK;  // the old list goes after the lock
  }

  int32_t restore() override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (faults_.failRestores > 0) {
      --faults_.failRestores;
      return DSERR_BUFFERLOST;
    }
    v_.lost = false;
    return DS_OK;
  }

  WaveFormat format() const override { return v_.format; }
  uint32_t bytes() const override { return static_cast<uint32_t>(v_.data.size()); }
  uint32_t caps() const override { return v_.caps; }

  void injectFaults(const BufferFaults& f) override {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    faults_.failRestores = f.failRestores;
    faults_.failLocks = f.failLocks;
    faults_.lockError = f.lockError;
    if (f.lose) {
      v_.lost = true;
      v_.playing = false;
      std::fill(v_.data.begin(), v_.data.end(), v_.silence());
    }
  }

 private:
  // Under the mixer lock: one mix period of source bytes ahead of the play cursor.
  uint32_t writeCursor() const {
    const uint64_t ahead = (static_cast<uint64_t>(v_.format.samplesPerSec) * kMixPeriodMs + 999) / 1000;
    return static_cast<uint32_t>((v_.frame() + ahead) % v_.frames) * v_.format.blockAlign;
  }

  std::shared_ptr<Mixer> mixer_;
  MixVoice v_;
  std::mutex api_;  // one lock/unlock at a time
  std::vector<uint8_t> staging_;
  bool locked_ = false;
  uint32_t lockOffset_ = 0, lockFirst_ = 0, lockSecond_ = 0;
  BufferFaults faults_;
};

}  // namespace

int32_t Mixer::createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps, std::unique_ptr<ISoundBuffer>& out) {
  out.reset();
  if (!waveFormatUsable(format)) return DSERR_BADFORMAT;
  if (bytes < format.blockAlign) return DSERR_INVALIDPARAM;  // 0 too; a partial last block is never played
  try {
    out = std::make_unique<MixerBuffer>(shared_from_this(), format, bytes, caps);
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  return DS_OK;
}

}  // namespace common
}  // namespace plat

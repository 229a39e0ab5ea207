#include "tests/support/fake_audio_device.h"

#include <algorithm>
#include <cstring>

namespace veldra_test {

void FakeAudioLog::add(const std::string& line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(line);
}

std::vector<std::string> FakeAudioLog::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

void FakeAudioLog::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

std::vector<uint8_t> FakeSoundBuffer::data() const {
  std::lock_guard lock(mutex_);
  return data_;
}

std::vector<plat::Notification> FakeSoundBuffer::notifications() const {
  std::lock_guard lock(mutex_);
  return notifications_;
}

FakeSoundBuffer::FakeSoundBuffer(FakeAudioLog& log, int number, const plat::WaveFormat& f, uint32_t bytes,
                                 uint32_t caps)
    : log_(log), number_(number), format_(f), caps_(caps), data_(bytes, 0) {
  ++log_.buffersLive;
  log_.live.push_back(this);
}

FakeSoundBuffer::~FakeSoundBuffer() {
  --log_.buffersLive;
  log_.live.erase(std::find(log_.live.begin(), log_.live.end(), this));
  note("release");
}

void FakeSoundBuffer::note(const std::string& what) { log_.add(std::to_string(number_) + " " + what); }

int32_t FakeSoundBuffer::lock(uint32_t offset, uint32_t bytes, plat::LockRegion& out, uint32_t) {
  note("lock " + std::to_string(offset) + " " + std::to_string(bytes));
  std::lock_guard lock(mutex_);
  if (failLocks_ > 0) {
    --failLocks_;
    return lockError_;
  }
  if (lost_) return plat::DSERR_BUFFERLOST;
  if (offset > data_.size() || bytes > data_.size() - offset) return plat::DSERR_INVALIDPARAM;
  staging_.assign(data_.begin() + offset, data_.begin() + offset + bytes);
  out = plat::LockRegion{staging_.data(), bytes, nullptr, 0};
  lockOffset_ = offset;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::unlock(const plat::LockRegion& region) {
  note("unlock");
  std::lock_guard lock(mutex_);
  if (region.first != staging_.data()) return plat::DSERR_INVALIDPARAM;
  std::memcpy(data_.data() + lockOffset_, staging_.data(), std::min<size_t>(region.firstBytes, staging_.size()));
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::play(bool loop) {
  note(std::string("play ") + (loop ? "1" : "0"));
  std::lock_guard lock(mutex_);
  if (lost_) return plat::DSERR_BUFFERLOST;
  playing_ = true;
  looping_ = loop;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::stop() {
  note("stop");
  std::lock_guard lock(mutex_);
  playing_ = false;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::getCurrentPosition(uint32_t* play, uint32_t* write) {
  if (play) *play = 0;
  if (write) *write = 0;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::setCurrentPosition(uint32_t offset) {
  note("setCurrentPosition " + std::to_string(offset));
  return plat::DS_OK;
}

uint32_t FakeSoundBuffer::status() {
  std::lock_guard lock(mutex_);
  return (playing_ ? plat::DSBSTATUS_PLAYING : 0) | (lost_ ? plat::DSBSTATUS_BUFFERLOST : 0) |
         (playing_ && looping_ ? plat::DSBSTATUS_LOOPING : 0);
}

int32_t FakeSoundBuffer::setVolume(int32_t mB) {
  note("setVolume " + std::to_string(mB));
  if (mB < plat::DSBVOLUME_MIN || mB > plat::DSBVOLUME_MAX) return plat::DSERR_INVALIDPARAM;
  std::lock_guard lock(mutex_);
  volume_ = mB;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::setPan(int32_t pan) {
  note("setPan " + std::to_string(pan));
  if (pan < plat::DSBPAN_LEFT || pan > plat::DSBPAN_RIGHT) return plat::DSERR_INVALIDPARAM;
  std::lock_guard lock(mutex_);
  pan_ = pan;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::getVolume(int32_t* mB) {
  std::lock_guard lock(mutex_);
  if (mB) *mB = volume_;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::getPan(int32_t* pan) {
  std::lock_guard lock(mutex_);
  if (pan) *pan = pan_;
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::setNotifications(std::span<const plat::Notification> list) {
  note("setNotifications " + std::to_string(list.size()));
  std::lock_guard lock(mutex_);
  notifications_.assign(list.begin(), list.end());
  return plat::DS_OK;
}

int32_t FakeSoundBuffer::restore() {
  ++restoreCalls;
  note("restore");
  std::lock_guard lock(mutex_);
  if (failRestores_ > 0) {
    --failRestores_;
    return plat::DSERR_BUFFERLOST;
  }
  lost_ = false;
  return plat::DS_OK;
}

void FakeSoundBuffer::injectFaults(const plat::BufferFaults& faults) {
  std::lock_guard lock(mutex_);
  failLocks_ = faults.failLocks;
  lockError_ = faults.lockError;
  if (faults.lose) {
    lost_ = true;
    playing_ = false;
    std::fill(data_.begin(), data_.end(), 0);
  }
  failRestores_ = faults.failRestores;
}

int32_t FakeAudioDevice::open(const plat::WaveFormat& p) {
  primary = p;
  if (openResult != plat::DS_OK) return openResult;
  open_ = true;
  return plat::DS_OK;
}

int32_t FakeAudioDevice::createBuffer(const plat::WaveFormat& format, uint32_t bytes, uint32_t caps,
                                      std::unique_ptr<plat::ISoundBuffer>& out) {
  made.push_back({format, bytes, caps});
  if (!open_) return plat::DSERR_UNINITIALIZED;
  const bool usable = format.formatTag == plat::kWaveFormatPcm && (format.channels == 1 || format.channels == 2) &&
                      (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
                      format.blockAlign == format.channels * format.bitsPerSample / 8;
  if (!usable) return plat::DSERR_BADFORMAT;
  if (bytes == 0 || bytes % format.blockAlign) return plat::DSERR_INVALIDPARAM;
  auto b = std::make_unique<FakeSoundBuffer>(log, ++log.buffersMade, format, bytes, caps);
  out = std::move(b);
  return plat::DS_OK;
}

void FakeAudioDevice::loseAllBuffers() {
  for (FakeSoundBuffer* b : log.live) b->injectFaults({true, 0, 0, plat::DSERR_BUFFERLOST});
}

}  // namespace veldra_test

// Fake time pulls the mixer. A period starts only when the threads that events woke are waiting
// again, and one that set notifications ends only then too, so a refill always lands before the
// next period and what a test records never depends on thread timing. (A thread woken by an
// event counts as busy until it waits on an event again or ends.)
#include "headless/headless_audio.h"

#include "common/event_quiet.h"
#include "headless/headless_clock.h"

namespace plat::headless_impl {

namespace {
// Long enough for any refill; a thread that never waits again only slows its period.
constexpr uint32_t kWokenThreadsWaitMs = 1000;
}  // namespace

int32_t HeadlessAudioDevice::open(const WaveFormat& primary) {
  if (!waveFormatUsable(primary)) return DSERR_BADFORMAT;
  std::lock_guard<std::mutex> lock(pull_);
  if (!open_.load()) {
    nextPeriodEnd_ = clock_.elapsed() + kMixPeriodMs;
    open_.store(true);
  }
  return DS_OK;
}

int32_t HeadlessAudioDevice::createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps,
                                          std::unique_ptr<ISoundBuffer>& out) {
  out.reset();
  if (!open_.load()) return DSERR_UNINITIALIZED;
  return mixer_->createBuffer(format, bytes, caps, out);
}

void HeadlessAudioDevice::startRecording() {
  std::lock_guard<std::mutex> lock(recordMutex_);
  recording_ = true;
}

void HeadlessAudioDevice::stopRecording() {
  std::lock_guard<std::mutex> lock(recordMutex_);
  recording_ = false;
}

std::vector<int16_t> HeadlessAudioDevice::recording() const {
  std::lock_guard<std::mutex> lock(recordMutex_);
  return record_;
}

void HeadlessAudioDevice::clearRecording() {
  std::lock_guard<std::mutex> lock(recordMutex_);
  record_.clear();
}

void HeadlessAudioDevice::pullPeriod() {
  if (!open_.load()) return;
  std::lock_guard<std::mutex> lock(pull_);
  mixPeriod();
}

void HeadlessAudioDevice::clockMoved() {
  if (!open_.load()) return;
  std::unique_lock<std::mutex> lock(pull_, std::try_to_lock);
  if (!lock.owns_lock()) return;
  while (open_.load() && clock_.elapsed() >= nextPeriodEnd_) {
    mixPeriod();
    nextPeriodEnd_ += kMixPeriodMs;
  }
}

void HeadlessAudioDevice::mixPeriod() {
  // 220 or 221 frames, so that every 100 periods make exactly one second.
  const uint64_t k = periods_.load();
  const uint32_t frames = static_cast<uint32_t>((k + 1) * kMixRate / 100 - k * kMixRate / 100);
  int16_t out[2 * (kMixRate / 100 + 1)];
  // Threads woken since the last period (a play() on a notification offset, say) finish first.
  common::waitWokenThreadsIdle(kWokenThreadsWaitMs);
  const uint32_t fired = mixer_->mix(out, frames);
  periods_.fetch_add(1);
  {
    std::lock_guard<std::mutex> lock(recordMutex_);
    if (recording_ && record_.size() + 2 * frames <= kRecordLimit) record_.insert(record_.end(), out, out + 2 * frames);
  }
  if (fired > 0) common::waitWokenThreadsIdle(kWokenThreadsWaitMs);
}

}  // namespace plat::headless_impl

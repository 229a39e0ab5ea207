// The headless audio device: the mixer pulled by fake time, one 10 ms period at a time, with
// its output kept for tests.
#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "common/mixer.h"
#include "plat/audio.h"

namespace plat::headless_impl {

class HeadlessClock;

class HeadlessAudioDevice final : public HeadlessAudio {
 public:
  // Ten minutes of output, the longest a headless run lasts.
  static constexpr size_t kRecordLimit = size_t{10} * 60 * kMixRate * kMixChannels;

  explicit HeadlessAudioDevice(HeadlessClock& clock) : clock_(clock) {}

  int32_t open(const WaveFormat& primary) override;
  bool isOpen() const override { return open_.load(); }
  void close() override { open_.store(false); }
  int32_t createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps,
                       std::unique_ptr<ISoundBuffer>& out) override;
  void loseAllBuffers() override { mixer_->loseAll(); }

  void startRecording() override;
  void stopRecording() override;
  std::vector<int16_t> recording() const override;
  void clearRecording() override;
  void pullPeriod() override;
  uint64_t periods() const override { return periods_.load(); }

  // Fake time moved: mixes every period it completed. A thread that moves time while another
  // is mixing leaves its periods to that one.
  void clockMoved();

 private:
  void mixPeriod();  // under pull_

  HeadlessClock& clock_;
  std::shared_ptr<common::Mixer> mixer_ = common::makeMixer();
  std::atomic<bool> open_{false};
  std::mutex pull_;
  uint64_t nextPeriodEnd_ = 0;  // elapsed fake time at which the next period is complete
  std::atomic<uint64_t> periods_{0};
  mutable std::mutex recordMutex_;
  bool recording_ = false;
  std::vector<int16_t> record_;  // at most kRecordLimit samples; later ones are dropped
};

}  // namespace plat::headless_impl

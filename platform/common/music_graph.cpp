// The music graph on an audio device: one streaming voice, a ring of kSegments segments with a
// notification in each, and a feeder thread that refills what the play cursor has passed. The
// main thread's run, pause and volume calls touch only the voice (never the feeder's lock), so
// they cost the same whatever the source is decoding.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "common/debug_out.h"
#include "plat/music_graph.h"
#include "plat/platform.h"
#include "plat/thread_name.h"

namespace plat {

namespace {

constexpr int kSegments = 4;
constexpr uint32_t kSegmentsPerSecond = 20;  // 50 ms each: a 200 ms ring
constexpr uint64_t kNoEnd = ~0ull;

class DeviceMusicGraph final : public IMusicGraph {
 public:
  explicit DeviceMusicGraph(IAudioDevice& device) : device_(device) {}

  ~DeviceMusicGraph() override {
    if (feeder_.joinable()) {
      quit_.set();
      feeder_.join();
    }
    if (buffer_) {
      buffer_->stop();
      buffer_->setNotifications({});
      buffer_.reset();  // out of the mix before the events and the source go
    }
  }

  int32_t renderFile(std::string_view cp936Path) override {
    if (buffer_) return kGraphFail;  // one file per graph
    std::unique_ptr<PcmSource> source = openPcmSource(cp936Path);
    if (!source) return kGraphFail;
    const WaveFormat format = source->format();
    if (!waveFormatUsable(format)) return kGraphFail;
    const uint32_t block = format.blockAlign;
    const uint32_t segment = std::max<uint32_t>(1, format.samplesPerSec / kSegmentsPerSecond) * block;
    std::unique_ptr<ISoundBuffer> buffer;
    const uint32_t caps = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2 |
                          DSBCAPS_GLOBALFOCUS;
    if (device_.createBuffer(format, segment * kSegments, caps, buffer) != DS_OK || !buffer) return kGraphFail;
    // One block into each segment rather than on its start, so that a play from the start wakes
    // nobody for nothing to refill.
    Notification marks[kSegments];
    for (int i = 0; i < kSegments; ++i) marks[i] = {segment * static_cast<uint32_t>(i) + block, &segmentStart_[i]};
    if (buffer->setNotifications(marks) != DS_OK) return kGraphFail;
    buffer->setVolume(volume_);

    source_ = std::move(source);
    buffer_ = std::move(buffer);
    ring_ = segment * kSegments;
    silence_ = format.bitsPerSample == 8 ? 0x80 : 0x00;
    {
      std::lock_guard<std::mutex> lock(feed_);
      startStream(0);
    }
    try {
      if (sourceFailed_) throw std::runtime_error("the source failed at once");
      feeder_ = std::thread([this] { feederMain(); });
    } catch (const std::exception&) {
      // Nothing rendered.
      buffer_->setNotifications({});
      buffer_.reset();
      source_.reset();
      return kGraphFail;
    }
    return kGraphOk;
  }

  int32_t run() override {
    if (!buffer_ || running_) return kGraphOk;
    const int32_t r = buffer_->play(true);
    if (r == DS_OK) running_ = true;
    return r;
  }

  int32_t pause() override {
    if (!buffer_) return kGraphOk;
    running_ = false;
    return buffer_->stop();
  }

  // Stopping also goes back to the start, so that stop and run play the tune from its beginning.
  int32_t stop() override {
    if (!buffer_) return kGraphOk;
    running_ = false;
    const int32_t r = buffer_->stop();
    std::lock_guard<std::mutex> lock(feed_);
    source_->rewind();
    buffer_->setCurrentPosition(0);
    startStream(0);
    return r;
  }

  int32_t getEvent(int32_t& code, int32_t& param1, int32_t& param2) override {
    std::lock_guard<std::mutex> lock(events_);
    if (queue_.empty()) return kGraphNoEvent;
    code = queue_.front();
    param1 = 0;
    param2 = 0;
    queue_.pop_front();
    return kGraphOk;
  }

  int32_t notifyWindow(WindowId window, uint32_t message) override {
    std::lock_guard<std::mutex> lock(events_);
    window_ = window;
    message_ = message;
    return kGraphOk;
  }

  int32_t rewind() override {
    if (!buffer_) return kGraphFail;
    std::lock_guard<std::mutex> lock(feed_);
    if (!source_->rewind()) return kGraphFail;
    // The start of the tune goes in right at the play cursor, so the gap is at most one period.
    uint32_t play = 0, write = 0;
    if (buffer_->getCurrentPosition(&play, &write) != DS_OK) play = 0;
    startStream(play % ring_);
    return kGraphOk;
  }

  int32_t setVolume(int32_t mB) override {
    if (mB < DSBVOLUME_MIN || mB > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    volume_ = mB;
    return buffer_ ? buffer_->setVolume(mB) : kGraphOk;
  }

 private:
  // The stream starts anew at ring offset `at`: the whole ring is filled from there.
  void startStream(uint32_t at) {
    writePos_ = at;
    written_ = 0;
    endAt_ = kNoEnd;
    completed_ = false;
    fill(ring_);
  }

  // Writes n bytes of the stream at the write position: the source, then silence after its end.
  void fill(uint32_t n) {
    LockRegion region;
    if (buffer_->lock(writePos_, n, region) != DS_OK) return;
    fillPiece(region.first, region.firstBytes, written_);
    fillPiece(region.second, region.secondBytes, written_ + region.firstBytes);
    buffer_->unlock(region);
    writePos_ = (writePos_ + n) % ring_;
    written_ += n;
  }

  // n bytes at stream offset `at`.
  void fillPiece(uint8_t* dst, uint32_t n, uint64_t at) {
    uint32_t done = 0;
    while (endAt_ == kNoEnd && done < n) {
      const int32_t got = read(dst + done, n - done);
      if (got <= 0 || static_cast<uint32_t>(got) > n - done) {
        endAt_ = at + done;  // a read error ends the tune there too
        break;
      }
      done += static_cast<uint32_t>(got);
    }
    if (n > done) std::memset(dst + done, silence_, n - done);
  }

  // The source's next bytes. A source that throws (on any thread that fills) is logged once and
  // read no more: the tune ends there.
  int32_t read(uint8_t* dst, uint32_t n) {
    if (sourceFailed_) return -1;
    try {
      return source_->read(dst, n);
    } catch (const std::exception& e) {
      common::debugLine(std::string("music source failed: ") + e.what());
    } catch (...) {
      common::debugLine("music source failed");
    }
    sourceFailed_ = true;
    return -1;
  }

  // Called as the cursor enters each segment: reports the end of the tune once it has been heard,
  // then refills what the cursor has passed.
  void refill() {
    uint32_t play = 0, write = 0;
    if (buffer_->getCurrentPosition(&play, &write) != DS_OK) return;
    play %= ring_;
    const uint32_t ahead = (writePos_ + ring_ - play - 1) % ring_ + 1;  // 1..ring
    const uint64_t heard = written_ - ahead;
    if (endAt_ != kNoEnd && !completed_ && heard >= endAt_) {
      completed_ = true;
      complete();
    }
    if (ahead < ring_) fill(ring_ - ahead);
  }

  void complete() {
    WindowId window;
    uint32_t message;
    {
      std::lock_guard<std::mutex> lock(events_);
      queue_.push_back(EC_COMPLETE);
      window = window_;
      message = message_;
    }
    if (message != 0) get().events().post(window, message, 0, 0);
  }

  void feederMain() {
    setCurrentThreadName("music feeder");
    try {
      Event* waits[kSegments + 1] = {&quit_};
      for (int i = 0; i < kSegments; ++i) waits[i + 1] = &segmentStart_[i];
      for (;;) {
        const int which = waitAny(waits);
        if (which <= 0) break;
        std::lock_guard<std::mutex> lock(feed_);
        refill();
      }
    } catch (const std::exception& e) {
      common::debugLine(std::string("music feeder failed: ") + e.what());
      buffer_->stop();
    } catch (...) {
      common::debugLine("music feeder failed");
      buffer_->stop();
    }
  }

  IAudioDevice& device_;
  Event quit_;
  Event segmentStart_[kSegments];
  std::unique_ptr<ISoundBuffer> buffer_;
  std::atomic<bool> running_{false};
  std::atomic<int32_t> volume_{0};

  // The feeder's lock: the source and the stream's counters.
  std::mutex feed_;
  std::unique_ptr<PcmSource> source_;
  bool sourceFailed_ = false;
  uint32_t ring_ = 0;
  uint8_t silence_ = 0;
  uint32_t writePos_ = 0;   // ring offset of the next byte to write
  uint64_t written_ = 0;    // stream bytes written since the stream started
  uint64_t endAt_ = kNoEnd; // stream offset of the tune's end, once the source has ended
  bool completed_ = false;  // the end has been reported

  std::mutex events_;
  std::deque<int32_t> queue_;
  WindowId window_ = kNoWindow;
  uint32_t message_ = 0;

  std::thread feeder_;
};

}  // namespace

std::unique_ptr<IMusicGraph> makeMusicGraph(IAudioDevice& device) { return std::make_unique<DeviceMusicGraph>(device); }

}  // namespace plat

// The headless backend's fake clock and the tick source driven by it.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "plat/headless.h"

namespace plat::headless_impl {

class HeadlessTicks;

// Time moves only when code sleeps or a test advances it. On the real clock (runs against a
// real server) time is the wall's: a sleep or an advance waits that long, and every reading
// catches up with the time that passed.
class HeadlessClock final : public FakeClock {
 public:
  static constexpr int64_t kWallStart = 1767225600;  // 2026-01-01 00:00 UTC

  HeadlessClock(uint32_t start, bool real)
      : ms_(start), mono_(start), real_(real), realStart_(std::chrono::steady_clock::now()) {}

  uint32_t ms() override {
    catchUp();
    return ms_.load();
  }
  double seconds() override {
    catchUp();
    return static_cast<double>(mono_.load()) / 1000.0;
  }
  int64_t wallTime() override {
    catchUp();
    return wallMs_.load() / 1000;
  }
  void sleepMs(uint32_t ms) override;
  void advance(uint32_t ms) override;
  void set(uint32_t ms) override { ms_.store(ms); }
  void setWallTime(int64_t seconds) override { wallMs_.store(seconds * 1000); }

  // Milliseconds passed since the platform started (never wraps).
  uint64_t elapsed() {
    catchUp();
    return elapsed_.load();
  }
  bool real() const { return real_; }
  void attach(HeadlessTicks* ticks) { ticks_ = ticks; }
  // Called after every sleep (activity for the watchdog, the frame budget).
  void onSleep(std::function<void()> f) { onSleep_ = std::move(f); }
  void onAdvance(std::function<void()> f) { onAdvance_ = std::move(f); }

 private:
  std::mutex mutex_;  // one advance at a time, so ticks fire in order
  std::atomic<uint32_t> ms_;
  std::atomic<uint64_t> mono_;
  std::atomic<uint64_t> elapsed_{0};
  std::atomic<int64_t> wallMs_{kWallStart * 1000};
  HeadlessTicks* ticks_ = nullptr;
  std::function<void()> onSleep_, onAdvance_;
  const bool real_;
  const std::chrono::steady_clock::time_point realStart_;

  // Real clock: moves every count by the wall time not yet counted (no ticks fired).
  void catchUp();
  // Moves every count by ms under the lock; the elapsed time reached.
  uint64_t move(uint32_t ms);
};

// Fires once per period of fake time crossed, on the thread that advances the clock.
class HeadlessTicks final : public ITickSource {
 public:
  bool start(uint32_t periodMs, void (*tick)(void*), void* ctx) override;
  void stop() override;
  // The clock moved from elapsed `from` to `to`: how many ticks are due, and what to call.
  uint64_t due(uint64_t to, void (**tick)(void*), void** ctx);
  bool running() const { return running_.load(); }
  uint64_t generation() const { return generation_.load(); }

 private:
  std::mutex mutex_;
  std::atomic<bool> running_{false};
  std::atomic<uint64_t> generation_{0};
  uint32_t period_ = 0;
  uint64_t next_ = 0;  // elapsed time of the next tick
  void (*tick_)(void*) = nullptr;
  void* ctx_ = nullptr;
  HeadlessClock* clock_ = nullptr;
  friend void attachTicks(HeadlessClock&, HeadlessTicks&);
};

void attachTicks(HeadlessClock& clock, HeadlessTicks& ticks);

}  // namespace plat::headless_impl

// Fake time for tests and batch runs.
#include "headless/headless_clock.h"

#include <thread>

namespace plat::headless_impl {

void attachTicks(HeadlessClock& clock, HeadlessTicks& ticks) {
  clock.attach(&ticks);
  ticks.clock_ = &clock;
}

uint64_t HeadlessClock::move(uint32_t ms) {
  ms_.fetch_add(ms);  // wraps modulo 2^32 as the real clock does
  mono_.fetch_add(ms);
  wallMs_.fetch_add(ms);
  return elapsed_.fetch_add(ms) + ms;
}

void HeadlessClock::catchUp() {
  if (!real_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - realStart_);
  const uint64_t now = static_cast<uint64_t>(wall.count());
  const uint64_t counted = elapsed_.load();
  if (now > counted) move(static_cast<uint32_t>(now - counted));
}

void HeadlessClock::advance(uint32_t ms) {
  if (real_) {
    // The wait happens; the counts then follow the wall.
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    catchUp();
    ms = 0;
  }
  uint64_t to;
  uint64_t count = 0;
  void (*tick)(void*) = nullptr;
  void* ctx = nullptr;
  uint64_t gen = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    to = move(ms);
    if (ticks_) {
      count = ticks_->due(to, &tick, &ctx);
      gen = ticks_->generation();
    }
  }
  // Callbacks run outside the lock: a tick handler may read or even sleep on the clock.
  for (uint64_t i = 0; i < count && tick; ++i) {
    if (!ticks_->running() || ticks_->generation() != gen) break;
    tick(ctx);
  }
  if (onAdvance_) onAdvance_();
}

void HeadlessClock::sleepMs(uint32_t ms) {
  advance(ms);
  if (onSleep_) onSleep_();
}

bool HeadlessTicks::start(uint32_t periodMs, void (*tick)(void*), void* ctx) {
  if (periodMs < minPeriod() || periodMs > maxPeriod() || !tick) return false;
  // Read before the lock: the real clock takes its own lock there, and advance() takes the two
  // in the other order.
  const uint64_t now = clock_ ? clock_->elapsed() : 0;
  std::lock_guard<std::mutex> lock(mutex_);
  period_ = periodMs;
  tick_ = tick;
  ctx_ = ctx;
  next_ = now + periodMs;
  generation_.fetch_add(1);
  running_.store(true);
  return true;
}

void HeadlessTicks::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  running_.store(false);
  generation_.fetch_add(1);
  tick_ = nullptr;
  ctx_ = nullptr;
}

uint64_t HeadlessTicks::due(uint64_t to, void (**tick)(void*), void** ctx) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_.load() || period_ == 0 || to < next_) return 0;
  uint64_t count = (to - next_) / period_ + 1;
  next_ += count * period_;
  *tick = tick_;
  *ctx = ctx_;
  return count;
}

}  // namespace plat::headless_impl

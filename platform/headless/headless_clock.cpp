// Fake time for tests and batch runs.
#include "headless/headless_clock.h"

namespace plat::headless_impl {

void attachTicks(HeadlessClock& clock, HeadlessTicks& ticks) {
  clock.attach(&ticks);
  ticks.clock_ = &clock;
}

void HeadlessClock::advance(uint32_t ms) {
  uint64_t to;
  uint64_t count = 0;
  void (*tick)(void*) = nullptr;
  void* ctx = nullptr;
  uint64_t gen = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ms_.fetch_add(ms);  // wraps modulo 2^32 as the real clock does
    mono_.fetch_add(ms);
    wallMs_.fetch_add(ms);
    to = elapsed_.fetch_add(ms) + ms;
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
  std::lock_guard<std::mutex> lock(mutex_);
  period_ = periodMs;
  tick_ = tick;
  ctx_ = ctx;
  next_ = (clock_ ? clock_->elapsed() : 0) + periodMs;
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

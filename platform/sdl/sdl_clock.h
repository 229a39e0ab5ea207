// The real clock (CLOCK_MONOTONIC through the steady clock) and the tick thread.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "plat/platform.h"

namespace plat::sdl {

class SteadyClock final : public IClock {
 public:
  uint32_t ms() override;
  double seconds() override;
  int64_t wallTime() override;
  void sleepMs(uint32_t ms) override;
};

// A thread waking on a drift-free schedule: each wake is one period after the previous planned
// one, not after the callback returned. After a stall over 100 ms the schedule restarts from
// now instead of firing a burst of late ticks.
class TickThread final : public ITickSource {
 public:
  ~TickThread() override { stop(); }
  bool start(uint32_t periodMs, void (*tick)(void*), void* ctx) override;
  void stop() override;

 private:
  void loop(uint32_t periodMs, void (*tick)(void*), void* ctx);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool stopping_ = false;
};

}  // namespace plat::sdl

// Real time for the SDL backend.
#include "sdl/sdl_clock.h"

#include <cstdio>
#include <exception>

namespace plat::sdl {

using std::chrono::steady_clock;

uint32_t SteadyClock::ms() {
  auto t = std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(static_cast<uint64_t>(t.count()));  // wraps like timeGetTime
}

double SteadyClock::seconds() {
  return std::chrono::duration<double>(steady_clock::now().time_since_epoch()).count();
}

int64_t SteadyClock::wallTime() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void SteadyClock::sleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool TickThread::start(uint32_t periodMs, void (*tick)(void*), void* ctx) {
  if (periodMs < minPeriod() || periodMs > maxPeriod() || !tick) return false;
  stop();
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = false;
  thread_ = std::thread([this, periodMs, tick, ctx] { loop(periodMs, tick, ctx); });
  return true;
}

void TickThread::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id())
    thread_.detach();  // stopped from its own callback: the loop ends after it returns
  else
    thread_.join();
}

void TickThread::loop(uint32_t periodMs, void (*tick)(void*), void* ctx) {
  const auto period = std::chrono::milliseconds(periodMs);
  const auto stall = std::chrono::milliseconds(100);
  auto next = steady_clock::now() + period;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (wake_.wait_until(lock, next, [this] { return stopping_; })) break;
    lock.unlock();
    try {
      tick(ctx);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tick thread: %s; ticks stop\n", e.what());
      return;
    } catch (...) {
      std::fprintf(stderr, "tick thread: unknown exception; ticks stop\n");
      return;
    }
    lock.lock();
    next += period;
    auto now = steady_clock::now();
    if (now - next > stall) next = now + period;
  }
}

}  // namespace plat::sdl

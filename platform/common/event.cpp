// Auto-reset events. One lock and one condition for every event keeps waitAny simple; the
// events are few and rarely set.
//
// A set() that finds a waiter hands it a wake token, held until that thread waits again or ends.
// The headless device counts the tokens out to know when a period's notifications are handled.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/event_quiet.h"
#include "plat/event.h"

namespace plat {

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
int g_tokens = 0;  // wake tokens handed out and not given back

struct ThreadToken {
  bool held = false;
  ~ThreadToken() {
    if (!held) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    --g_tokens;
    g_changed.notify_all();
  }
};
thread_local ThreadToken t_token;

// Under g_mutex: this thread is about to wait, so the wake it was handed is spent.
void giveBackToken() {
  if (!t_token.held) return;
  t_token.held = false;
  --g_tokens;
  g_changed.notify_all();
}

// Under g_mutex: takes a set event for this thread.
void take(bool& signalled, bool& handedOver) {
  signalled = false;
  if (handedOver) {
    handedOver = false;
    if (t_token.held) {
      --g_tokens;  // already awake: one token per thread
    } else {
      t_token.held = true;
    }
  }
}

}  // namespace

Event::Event(bool initiallySet) : signalled_(initiallySet) {}

Event::~Event() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (handedOver_) {
    --g_tokens;
    g_changed.notify_all();
  }
}

void Event::set() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (signalled_) return;
  signalled_ = true;
  if (waiters_ > 0) {
    handedOver_ = true;
    ++g_tokens;
  }
  g_changed.notify_all();
}

void Event::reset() {
  std::lock_guard<std::mutex> lock(g_mutex);
  signalled_ = false;
  if (handedOver_) {
    handedOver_ = false;
    --g_tokens;
    g_changed.notify_all();
  }
}

bool Event::isSet() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return signalled_;
}

bool Event::hasWaiter() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return waiters_ > 0;
}

bool Event::wait(uint32_t ms) {
  Event* self = this;
  return waitAny(std::span<Event* const>(&self, 1), ms) == 0;
}

int waitAny(std::span<Event* const> events, uint32_t ms) {
  if (events.empty()) return -1;
  for (Event* e : events)
    if (!e) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lock(g_mutex);
  giveBackToken();
  for (Event* e : events) ++e->waiters_;
  int found = -1;
  for (;;) {
    for (size_t i = 0; i < events.size() && found < 0; ++i)
      if (events[i]->signalled_) found = static_cast<int>(i);
    if (found >= 0) break;
    if (ms == kWaitForever) {
      g_changed.wait(lock);
    } else if (g_changed.wait_until(lock, deadline) == std::cv_status::timeout) {
      for (size_t i = 0; i < events.size() && found < 0; ++i)
        if (events[i]->signalled_) found = static_cast<int>(i);
      break;
    }
  }
  for (Event* e : events) --e->waiters_;
  if (found >= 0) take(events[found]->signalled_, events[found]->handedOver_);
  return found;
}

namespace common {

bool waitWokenThreadsIdle(uint32_t ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lock(g_mutex);
  return g_changed.wait_until(lock, deadline, [] { return g_tokens - (t_token.held ? 1 : 0) <= 0; });
}

}  // namespace common

}  // namespace plat

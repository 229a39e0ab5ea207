// Auto-reset events. One lock and one condition for every event keeps waitAny simple; the
// events are few and rarely set.
//
// Settings owed to a thread and threads woken and busy are counted (common/event_quiet.h), so
// that the headless device can wait for the work its notifications start.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "common/event_quiet.h"
#include "plat/event.h"

namespace plat {

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
int g_busy = 0;                // owed settings plus woken threads not yet waiting again
std::vector<Event*> g_owed;    // events whose setting is owed (handedOver_)
bool g_stallLogged = false;    // a time-out is reported once per process

struct ThreadToken {
  bool held = false;
  ~ThreadToken() {
    if (!held) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    --g_busy;
    g_changed.notify_all();
  }
};
thread_local ThreadToken t_token;

void forgetOwed(Event* e) { g_owed.erase(std::remove(g_owed.begin(), g_owed.end(), e), g_owed.end()); }

// Under g_mutex: this thread is about to wait, so it is no longer busy.
void giveBackToken() {
  if (!t_token.held) return;
  t_token.held = false;
  --g_busy;
  g_changed.notify_all();
}

}  // namespace

namespace common {

struct EventAccessImpl {
  static void take(Event& e) {
    e.signalled_ = false;
    if (!e.handedOver_) return;
    e.handedOver_ = false;
    forgetOwed(&e);
    if (t_token.held) {
      --g_busy;  // already busy: one count per thread
    } else {
      t_token.held = true;
    }
  }
  static void dropOwed(Event& e) {
    if (!e.handedOver_) return;
    e.handedOver_ = false;
    forgetOwed(&e);
    --g_busy;
    g_changed.notify_all();
  }
};

void EventAccess::markAwaited(Event& e) {
  std::lock_guard<std::mutex> lock(g_mutex);
  e.awaited_ = true;
}

void EventAccess::unmarkAwaited(Event& e) {
  std::lock_guard<std::mutex> lock(g_mutex);
  e.awaited_ = false;
  if (e.waiters_ == 0) EventAccessImpl::dropOwed(e);
}

bool waitWokenThreadsIdle(uint32_t ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lock(g_mutex);
  const auto idle = [] { return g_busy - (t_token.held ? 1 : 0) <= 0; };
  if (g_changed.wait_until(lock, deadline, idle)) return true;
  // Nobody came for these in time (a slow thread, most likely): write off this round's settings
  // only. The events stay awaited, so later rounds still wait for the thread's work.
  if (!g_owed.empty() && !g_stallLogged) {
    g_stallLogged = true;
    std::fprintf(stderr, "audio: a woken thread did not come back within %u ms; its work may land late\n", ms);
  }
  while (!g_owed.empty()) EventAccessImpl::dropOwed(*g_owed.back());
  return false;
}

}  // namespace common

Event::Event(bool initiallySet) : signalled_(initiallySet) {}

Event::~Event() {
  std::lock_guard<std::mutex> lock(g_mutex);
  common::EventAccessImpl::dropOwed(*this);
}

void Event::set() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (signalled_) return;
  signalled_ = true;
  if (waiters_ > 0 || awaited_) {
    handedOver_ = true;
    g_owed.push_back(this);
    ++g_busy;
  }
  g_changed.notify_all();
}

void Event::reset() {
  std::lock_guard<std::mutex> lock(g_mutex);
  signalled_ = false;
  common::EventAccessImpl::dropOwed(*this);
}

bool Event::isSet() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return signalled_;
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
  if (found >= 0) common::EventAccessImpl::take(*events[found]);
  return found;
}

}  // namespace plat

// The headless message pump: scripted events by fake time or pump count, posts from any thread,
// and the frame budget that ends a test whose loop never finishes.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "headless/headless_impl.h"
#include "plat/test.h"
#include "plat/winmsg.h"

namespace plat::headless_impl {

using common::RawEvent;

void HeadlessPump::schedule(const ScriptEvent& e) {
  if (e.atFrame) {
    auto at = std::upper_bound(byFrame_.begin(), byFrame_.end(), e,
                               [](const ScriptEvent& a, const ScriptEvent& b) { return *a.atFrame < *b.atFrame; });
    byFrame_.insert(at, e);
  } else {
    auto at = std::upper_bound(byTime_.begin(), byTime_.end(), e,
                               [](const ScriptEvent& a, const ScriptEvent& b) { return a.atMs < b.atMs; });
    byTime_.insert(at, e);
  }
}

void HeadlessPump::loadScript(const EventScript& s) {
  {
    std::lock_guard<std::mutex> lock(gateMutex_);
    gates_ = s.gates;
    held_.assign(s.gates.size(), {});
    openedAt_.clear();
    released_ = 0;
  }
  for (const ScriptEvent& e : s.events) {
    if (e.gate == 0 || e.gate > held_.size())
      schedule(e);
    else
      held_[e.gate - 1].push_back(e);
  }
}

void HeadlessPump::onDebugLine(std::string_view text) {
  std::lock_guard<std::mutex> lock(gateMutex_);
  // One line opens at most one gate, the next one in order.
  const size_t next = openedAt_.size();
  if (next < gates_.size() && text.find(gates_[next]) != std::string_view::npos)
    openedAt_.push_back(p_.fake().elapsed());
}

// Owner thread: the records of the gates opened since the last call, timed from the opening
// (pump counts from now).
void HeadlessPump::releaseGates() {
  std::vector<ScriptEvent> ready;
  {
    std::lock_guard<std::mutex> lock(gateMutex_);
    for (; released_ < openedAt_.size(); ++released_) {
      for (ScriptEvent e : held_[released_]) {
        e.atMs = static_cast<uint32_t>(openedAt_[released_] + e.atMs);
        if (e.atFrame) e.atFrame = static_cast<uint32_t>(p_.translator().pumps() + *e.atFrame);
        e.gate = 0;
        ready.push_back(e);
      }
      held_[released_].clear();
    }
  }
  for (const ScriptEvent& e : ready) schedule(e);
}

bool HeadlessPump::dueScript() const {
  return (!byTime_.empty() && p_.fake().elapsed() >= byTime_.front().atMs) ||
         (!byFrame_.empty() && p_.translator().pumps() >= *byFrame_.front().atFrame);
}

// Scripted records pass through the translator where it keeps state (focus, minimised, close),
// so the windows' state follows the script; other records arrive as posted.
static void feedScripted(HeadlessPlatformImpl& p, const ScriptEvent& e) {
  if (e.input.kind != ScriptInput::Kind::None) {
    p.feedInput(e.window, e.input);
    return;
  }
  WindowId w = e.window == kNoWindow ? p.mainWindowId() : e.window;
  auto& win = static_cast<HeadlessWindows&>(p.windows());
  switch (e.message) {
    case WM_ACTIVATEAPP:
      if (win.exists(w)) {
        win.focus(w, e.wParam != 0);
        return;
      }
      break;
    case WM_SIZE:
      if (win.exists(w) && (e.wParam == SIZE_MINIMIZED || e.wParam == SIZE_RESTORED)) {
        win.setMinimised(w, e.wParam == SIZE_MINIMIZED);
        return;
      }
      break;
    case WM_CLOSE:
      p.translator().feed(RawEvent{RawEvent::Kind::CloseRequest, w});
      return;
    default:
      break;
  }
  RawEvent r{RawEvent::Kind::Posted, e.window};
  r.message = e.message;
  r.wParam = e.wParam;
  r.lParam = e.lParam;
  p.translator().feed(r);
}

void HeadlessPump::deliverDue() {
  while (!byTime_.empty() && p_.fake().elapsed() >= byTime_.front().atMs) {
    ScriptEvent e = byTime_.front();
    byTime_.pop_front();
    feedScripted(p_, e);
  }
  while (!byFrame_.empty() && p_.translator().pumps() >= *byFrame_.front().atFrame) {
    ScriptEvent e = byFrame_.front();
    byFrame_.pop_front();
    feedScripted(p_, e);
  }
}

void HeadlessPump::takeInbox() {
  std::deque<Msg> in;
  {
    std::lock_guard<std::mutex> lock(inboxMutex_);
    in.swap(inbox_);
  }
  for (const Msg& m : in) {
    RawEvent r{RawEvent::Kind::Posted, m.window};
    r.message = m.message;
    r.wParam = m.wParam;
    r.lParam = m.lParam;
    p_.translator().feed(r);
  }
}

void HeadlessPump::remember(const Msg& m) {
  last_.push_back(m);
  if (last_.size() > 20) last_.pop_front();
}

bool HeadlessPump::peek(Msg& out) {
  p_.activity();
  releaseGates();
  takeInbox();
  deliverDue();
  p_.translator().endBatch();
  if (p_.translator().pop(out)) {
    remember(out);
    return true;
  }
  // A drain: the queue is empty. Time moves on so that loops waiting for ticks end.
  ++drains_;
  p_.translator().emptyPump();
  p_.fake().advance(p_.options().pumpStepMs);
  checkBudget();
  return false;
}

void HeadlessPump::checkBudget() {
  if (failing_) return;
  const HeadlessOptions& o = p_.options();
  uint64_t fakeMs = p_.fake().elapsed();
  if (drains_ > o.maxDrains)
    budgetExceeded("more than " + std::to_string(o.maxDrains) + " drains");
  if (fakeMs > o.maxFakeMs)
    budgetExceeded("more than " + std::to_string(o.maxFakeMs) + " fake ms");
}

void HeadlessPump::budgetExceeded(const std::string& why) {
  std::string report = "frame budget exceeded (" + why + "): " + std::to_string(drains_) + " drains, " +
                       std::to_string(p_.fake().elapsed()) + " fake ms; frame hash ";
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, p_.memory().lastHash());
  report += hash;
  report += "; last messages:";
  for (const Msg& m : last_) {
    const char* name = messageName(m.message);
    char line[128];
    std::snprintf(line, sizeof line, "\n  %u %s(0x%04x) window %u wParam 0x%x lParam 0x%x", m.time,
                  name ? name : "?", m.message, m.window, m.wParam, static_cast<uint32_t>(m.lParam));
    report += line;
  }
  if (plat::test::exitHandlerSet()) throw plat::test::FrameBudgetExceeded{report};
  failing_ = true;  // the exit hooks may pump; do not come back here
  std::fprintf(stderr, "%s\n", report.c_str());
  p_.process().exit(3);
  std::abort();  // not reached
}

int32_t HeadlessPump::dispatch(const Msg& m) {
  auto& win = static_cast<HeadlessWindows&>(p_.windows());
  WindowId w = m.window == kNoWindow ? win.mainWindow() : m.window;
  WindowProc proc = win.procOf(w);
  if (!proc) return 0;
  Msg copy = m;
  copy.window = w;
  return proc(copy);
}

bool HeadlessPump::wait(uint32_t ms) {
  p_.activity();
  releaseGates();
  auto pendingNow = [this] {
    std::lock_guard<std::mutex> lock(inboxMutex_);
    return !inbox_.empty() || p_.translator().pending() || dueScript();
  };
  if (pendingNow()) return true;
  // Sleep in fake time, but wake for a scripted record due earlier.
  uint64_t step = ms;
  if (!byTime_.empty()) {
    const uint64_t now = p_.fake().elapsed();  // the real clock may have passed the record already
    step = byTime_.front().atMs > now ? std::min<uint64_t>(step, byTime_.front().atMs - now) : 0;
  }
  p_.fake().advance(static_cast<uint32_t>(step));
  return pendingNow();
}

void HeadlessPump::post(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) {
  Msg m{w, message, wParam, lParam, p_.nowMs()};
  std::lock_guard<std::mutex> lock(inboxMutex_);
  inbox_.push_back(m);
}

int16_t HeadlessPump::keyState(uint8_t vk) { return p_.translator().keyState(vk); }

DropList& HeadlessPump::drops() { return p_.translator().drops(); }

}  // namespace plat::headless_impl

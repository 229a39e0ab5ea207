// Auto-reset events for the sound threads (the Win32 event object with WaitForMultipleObjects).
// Thread-safe; waits count real time.
#pragma once
#include <cstdint>
#include <span>

namespace plat {

namespace common {
struct EventAccess;
struct EventAccessImpl;
}

constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

class Event {
 public:
  explicit Event(bool initiallySet = false);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // Wakes one waiter, or stays set until the next wait takes it.
  void set();
  void reset();
  bool isSet() const;
  // True when the event was taken (and so cleared), false when ms passed first.
  bool wait(uint32_t ms = kWaitForever);

 private:
  friend int waitAny(std::span<Event* const> events, uint32_t ms);
  friend struct common::EventAccess;
  friend struct common::EventAccessImpl;
  bool signalled_ = false;
  bool handedOver_ = false;  // this setting is owed to a waiter (see common/event_quiet.h)
  bool awaited_ = false;     // a thread will come back to wait on it (a notification)
  int waiters_ = 0;
};

// Waits until one of the events is set and takes it: its index (the lowest when several are
// set), or -1 when ms passed first. An empty list or a null entry gives -1 at once.
int waitAny(std::span<Event* const> events, uint32_t ms = kWaitForever);

}  // namespace plat

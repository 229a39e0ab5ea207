// Whether the threads that events woke have gone back to waiting: the headless audio device
// mixes a period only then, so what they do on a notification lands before the next period.
//
// A set() is owed to a thread when one waits on the event, or when the event is a buffer's
// notification (a thread is expected to come back for it). The thread that takes it counts as
// busy until it waits on an event again or ends.
#pragma once
#include <cstdint>

#include "plat/event.h"

namespace plat::common {

struct EventAccess {
  // The event is a notification: its settings are owed even while no thread waits.
  static void markAwaited(Event& e);
  // No longer a notification (its buffer went or changed its list): a setting no thread waits
  // for now is no longer owed.
  static void unmarkAwaited(Event& e);
};

// Waits (real time, at most ms) until no setting is owed and no woken thread is busy; the
// calling thread does not count. On the time-out the settings nobody came for in this round are
// written off (their events stay awaited, so a late thread does not change later rounds) and the
// first time-out is reported on stderr. True when everything went idle.
bool waitWokenThreadsIdle(uint32_t ms);

}  // namespace plat::common

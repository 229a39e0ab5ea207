// Whether the threads that events woke have gone back to waiting: the headless audio device
// ends a mix period only then, so what they do on a notification lands before the next period.
#pragma once
#include <cstdint>

namespace plat::common {

// Waits (real time, at most ms) until every thread woken by a set() that found it waiting has
// entered a wait again or ended; the calling thread does not count. True when that happened.
bool waitWokenThreadsIdle(uint32_t ms);

}  // namespace plat::common

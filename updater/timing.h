// Every wait of the updater in one place, with the values the program runs with. Tests shorten
// the waits, never the attempt counts.
#pragma once
#include <cstdint>

namespace updater {

struct Timing {
  uint32_t connectRetryMs = 500;  // after each failed gateway connect
  uint32_t recvWaitMs = 100;      // after a receive that would block
  uint32_t fetchRetryWaitMs = 100;  // between two failed tries of one HTTP fetch
};

}  // namespace updater

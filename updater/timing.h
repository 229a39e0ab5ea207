// Every wait of the updater in one place, with the values the program runs with. Tests shorten
// the waits, never the attempt counts.
#pragma once
#include <cstdint>

namespace updater {

struct Timing {
  // FTP: after a reply read that would block; after each data round; the longest wait for the
  // server's data connection, per accept attempt; between the engine's tries of one fetch.
  uint32_t ftpReplyWaitMs = 1000;
  uint32_t ftpDataRoundMs = 10;
  uint32_t ftpAcceptWaitMs = 100;
  uint32_t ftpFetchRetryMs = 1000;
  uint32_t connectRetryMs = 500;  // after each failed gateway connect
  uint32_t recvWaitMs = 100;      // after a receive that would block
};

}  // namespace updater

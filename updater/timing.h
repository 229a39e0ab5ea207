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

  // HTTP downloads
  uint32_t httpHeadWaitMs = 100;        // a head receive that would block
  uint32_t segmentIdleWaitMs = 100;     // a segment round whose receive brought nothing
  uint32_t waitPassPerSegmentMs = 10;   // Wait's pause per running segment
  uint32_t progressReportMs = 200;      // between two progress reports
  uint32_t segmentStallMs = 30000;      // a segment gives up after this long without a byte
  uint32_t segmentMaxReconnects = 20;   // ... or after this many failed connects in a row
  uint32_t smallFetchWindowMs = 15000;  // tries of the server list and the version file
  uint32_t patchFetchWindowMs = 50000;  // tries of one patch archive

  // Update engine and launcher
  uint32_t fetchRetryWaitMs = 100;      // between two failed tries of one HTTP fetch
};

}  // namespace updater

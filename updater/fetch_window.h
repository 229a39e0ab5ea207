// One file fetched over HTTP, a failed try repeated until a time window has passed since the
// first (15 s for the server list and the version file, 50 s for a patch archive).
#pragma once
#include <cstdint>
#include <string>

#include "updater/timing.h"

namespace updater {

class CHttpDownloader;
class IProgressSink;

struct FetchRequest {
  std::string url;
  std::string localPath;       // a game path
  uint32_t windowMs = 0;
  IProgressSink* sink = nullptr;
  int32_t announcedSize = -1;  // >= 0: the sink hears OnFileStart and OnFileDone(announcedSize)
};

// 1 once a try's Start and Wait both gave 0; 0 when the window ran out first. Between failed
// tries it waits timing.fetchRetryWaitMs, so a server that refuses at once is not hammered.
int FetchWithinWindow(CHttpDownloader& downloader, const FetchRequest& request, const Timing& timing);

}  // namespace updater

#include "updater/fetch_window.h"

#include "plat/platform.h"
#include "updater/http_downloader.h"
#include "updater/progress_sink.h"

namespace updater {

int FetchWithinWindow(CHttpDownloader& downloader, const FetchRequest& request, const Timing& timing) {
  plat::IClock& clock = plat::get().clock();
  const uint32_t first = clock.ms();
  for (int attempt = 1;; ++attempt) {
    const int started = downloader.Start(request.url, request.localPath, request.sink, HTTP_SEGMENT_COUNT);
    int waited = started;
    if (started == 0) {
      if (request.sink && request.announcedSize >= 0) request.sink->OnFileStart();
      waited = downloader.Wait();
    }
    downloader.Reset();
    if (waited == 0) {
      if (request.sink && request.announcedSize >= 0) request.sink->OnFileDone(request.announcedSize);
      return 1;
    }
    plat::get().debugOut("fetch: " + request.url + " try " + std::to_string(attempt) + " failed with " +
                         std::to_string(waited));
    if (clock.ms() - first >= request.windowMs) return 0;
    clock.sleepMs(timing.fetchRetryWaitMs);
  }
}

}  // namespace updater

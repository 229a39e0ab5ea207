// Fetches one file over HTTP: asks its length, splits it into segments fetched in parallel by
// range requests on threads of their own, writes each piece at its offset in the local file and
// keeps "break.cfg" so that an interrupted download of "bin.zip" goes on where it stood.
//
// Callers run Start; when it gives 0, Wait and then Reset. A non-zero Start or Wait is a failed
// try: callers repeat tries until Timing::smallFetchWindowMs (server list, version file) or
// Timing::patchFetchWindowMs (patch archive) have passed since the first.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "updater/http_codes.h"
#include "updater/http_url.h"
#include "updater/progress_sink.h"
#include "updater/resume_record.h"
#include "updater/timing.h"

namespace plat {
class File;
}

namespace updater {

constexpr int HTTP_SEGMENT_COUNT = 4;  // what every caller asks for

class CDownloadSegment;

class CHttpDownloader {
 public:
  explicit CHttpDownloader(const Timing& timing = Timing{});
  // Resets: stops and joins the segments, closes the file.
  virtual ~CHttpDownloader();
  CHttpDownloader(const CHttpDownloader&) = delete;
  CHttpDownloader& operator=(const CHttpDownloader&) = delete;

  // Starts fetching `url` into `localPath` (a game path) with `segmentCount` segments, reporting
  // to `sink` (may be null). 0 when the segments run; else a code (HTTP_LENGTH_FAILED for any
  // failure of the length query, HTTP_LENGTH_OUT_OF_RANGE, the resume and file codes).
  virtual int Start(const std::string& url, const std::string& localPath, IProgressSink* sink, int segmentCount);
  // Follows the segments until none is left, writing "break.cfg" and reporting progress, then
  // closes the local file. 0 when every segment completed; otherwise the code of a segment that
  // ended without completing.
  virtual int Wait();
  // Closes the file, stops and joins the segments, forgets the URL, the length and the sink.
  virtual void Reset();

  // The length of the file at `url` (following redirects) in `length`: 0, or the code of the
  // failing step.
  int QueryLength(const std::string& url, int64_t& length);

  void SetTiming(const Timing& timing) { timing_ = timing; }
  const Timing& timing() const { return timing_; }

 private:
  int startSegments(const std::vector<SegmentSpan>& spans, const std::vector<int32_t>& positions);
  int resume(const std::string& localPath);

  Timing timing_;
  std::string url_;
  HttpUrl target_;           // where the file lies after redirects
  uint32_t ip_ = 0;          // the target's address, network order
  std::string cookie_;       // from the last redirect
  int64_t length_ = 0;
  std::shared_ptr<plat::File> file_;
  std::vector<std::unique_ptr<CDownloadSegment>> segments_;
  DOWNLOAD_RESUME_RECORD record_;
  IProgressSink* sink_ = nullptr;
  uint32_t startMs_ = 0;     // when the segments started, for the time estimate
  int64_t finished_ = 0;     // bytes of the segments already removed by Wait
};

}  // namespace updater

// One segment of an HTTP download: a thread that fetches bytes first..last of the file with
// open-ended range requests, writes them at their offsets and reconnects from where it stood
// after a broken connection.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "plat/sockets.h"
#include "updater/http_url.h"
#include "updater/resume_record.h"
#include "updater/timing.h"

namespace plat {
class File;
}

namespace updater {

// Where a segment's requests go: the file's place after redirects, and the cookie to send.
struct SegmentTarget {
  HttpUrl url;
  uint32_t ip = 0;  // network order
  std::string cookie;
};

struct SegmentProgress {
  int32_t done = 0;       // min(position, last) - first + 1
  bool complete = false;
  int32_t position = 0;
  int32_t last = -1;
};

class CDownloadSegment {
 public:
  CDownloadSegment(int index, SegmentTarget target, SegmentSpan span, int32_t position,
                   std::shared_ptr<plat::File> file, const Timing& timing);
  // Stops and joins the thread.
  ~CDownloadSegment();
  CDownloadSegment(const CDownloadSegment&) = delete;
  CDownloadSegment& operator=(const CDownloadSegment&) = delete;

  // Starts the thread; a segment with nothing left to fetch is complete at once and never
  // connects.
  void Run();
  // Sets the stop flag and joins the thread.
  void Stop();

  // Read without a lock while the thread runs.
  SegmentProgress progress() const;
  // The thread has ended: complete, stopped, or given up.
  bool ended() const { return ended_.load(); }
  // The code of the last failure (0 when none); meaningful once ended() without completing.
  int error() const { return error_.load(); }
  int index() const { return index_; }

 private:
  void threadMain();
  int connect();
  bool writeBytes(const uint8_t* data, size_t n);
  bool complete() const { return position_.load() > span_.last; }

  const int index_;
  const SegmentTarget target_;
  const SegmentSpan span_;
  const Timing timing_;
  std::shared_ptr<plat::File> file_;
  plat::net::Socket socket_;
  std::atomic<int32_t> position_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  std::atomic<int> error_{0};
  std::thread thread_;
};

}  // namespace updater

// Start, Wait and Reset of the HTTP downloader.
#include "updater/http_downloader.h"

#include <atomic>
#include <limits>

#include "core/reset/module_resets.h"
#include "plat/platform.h"
#include "updater/download_segment.h"
#include "updater/module_path.h"

namespace updater {

namespace {

constexpr size_t kCopyBlock = 1 << 20;

// When progress was last reported: one stamp for every download of the program, so that two
// downloads in a row never report closer together than the report period.
std::atomic<uint32_t> g_lastReportMs{0};
void reportStampReset() { g_lastReportMs.store(0); }
const ModuleReset k_reset("UPDATER_HTTP_REPORT", reportStampReset);

void debugLine(const std::string& text) { plat::get().debugOut("http: " + text); }

// Copies `from` into the open `to` in blocks; false on a short write.
bool copyInto(plat::File& from, plat::File& to) {
  std::vector<uint8_t> block(kCopyBlock);
  for (;;) {
    const size_t got = from.read(block.data(), block.size());
    if (got == 0) return true;
    if (to.write(block.data(), got) != got) return false;
  }
}

}  // namespace

CHttpDownloader::CHttpDownloader(const Timing& timing) : timing_(timing) {}

CHttpDownloader::~CHttpDownloader() { CHttpDownloader::Reset(); }

int CHttpDownloader::resume(const std::string& localPath) {
  plat::IFileSystem& files = plat::get().files();
  const std::string backup = ModulePath(DOWNLOAD_RESUME_BACKUP);
  // Only this copy may stand as the backup: a "break.bak" left by an earlier run, or half a
  // copy, would put other bytes below the saved positions.
  files.remove(backup);
  {
    std::unique_ptr<plat::File> local = files.open(localPath, "rb");
    std::unique_ptr<plat::File> out = local ? files.open(backup, "wb") : nullptr;
    if (out && !copyInto(*local, *out)) {
      out.reset();
      files.remove(backup);
    }
  }
  std::unique_ptr<plat::File> saved = files.open(backup, "rb");
  if (!saved) return HTTP_RESUME_NO_BACKUP;
  if (saved->size() <= 0) return HTTP_RESUME_BACKUP_EMPTY;
  std::unique_ptr<plat::File> file = files.open(localPath, "wb");
  if (!file) return HTTP_RESUME_REOPEN;
  if (!copyInto(*saved, *file)) return HTTP_RESUME_COPY_BACK;
  saved.reset();
  files.remove(backup);
  file_ = std::move(file);
  return HTTP_OK;
}

int CHttpDownloader::Start(const std::string& url, const std::string& localPath, IProgressSink* sink,
                           int segmentCount) {
  Reset();
  sink_ = sink;
  const int32_t count = segmentCount < 1 ? 1 : segmentCount;
  int64_t length = 0;
  if (const int rc = QueryLength(url, length); rc != HTTP_OK) {
    debugLine("length query failed (" + std::to_string(rc) + ")");
    return HTTP_LENGTH_FAILED;
  }
  // The record and the range lines are 32-bit.
  if (length < 1 || length > std::numeric_limits<int32_t>::max()) {
    debugLine("length " + std::to_string(length) + " out of range");
    return HTTP_LENGTH_OUT_OF_RANGE;
  }
  url_ = url;
  length_ = length;
  const int32_t len = static_cast<int32_t>(length);
  const std::vector<SegmentSpan> spans = splitSegments(len, count);

  DOWNLOAD_RESUME_RECORD saved;
  int check = loadResumeRecord(saved);
  if (check == 0) {
    const std::optional<plat::FileStat> target = plat::get().files().stat(ModulePath(DOWNLOAD_RESUME_TARGET));
    check = checkResumeRecord(saved, url, len, count, target && !target->isDir ? int64_t(target->size) : -1);
  }
  std::vector<int32_t> positions;
  if (check == 0) {
    if (const int rc = resume(localPath); rc != HTTP_OK) return rc;
    positions = saved.positions;
    debugLine("resuming " + url);
  } else {
    std::unique_ptr<plat::File> file = plat::get().files().open(localPath, "wb");
    if (!file || !file->truncate(length)) return HTTP_FILE_CREATE;
    file_ = std::move(file);
    for (const SegmentSpan& s : spans) positions.push_back(s.first);
  }

  record_ = {};
  record_.url = url;
  record_.fileLength = len;
  record_.positions = positions;
  for (const SegmentSpan& s : spans) record_.lasts.push_back(s.last);
  // A fresh start replaces the old record before any byte moves, so an older record can never
  // describe the new file.
  if (check != 0 && saveResumeRecord(record_) != 0) debugLine("cannot write break.cfg");
  return startSegments(spans, positions);
}

int CHttpDownloader::startSegments(const std::vector<SegmentSpan>& spans, const std::vector<int32_t>& positions) {
  SegmentTarget target{target_, ip_, cookie_};
  for (size_t i = 0; i < spans.size(); ++i)
    segments_.push_back(std::make_unique<CDownloadSegment>(static_cast<int>(i), target, spans[i], positions[i],
                                                           file_, timing_));
  startMs_ = plat::get().clock().ms();
  finished_ = 0;
  for (auto& s : segments_) s->Run();
  return HTTP_OK;
}

int CHttpDownloader::Wait() {
  plat::IClock& clock = plat::get().clock();
  int result = HTTP_OK;
  while (!segments_.empty()) {
    int64_t running = 0;
    for (auto it = segments_.begin(); it != segments_.end();) {
      CDownloadSegment& seg = **it;
      // Whether the thread has ended is read before its progress: a segment that completes
      // between the two reads must not pass for one that ended short.
      const bool ended = seg.ended();
      const SegmentProgress p = seg.progress();
      record_.writeSegment(seg.index(), p.position, p.last);
      if (p.complete || ended) {
        if (!p.complete) {
          debugLine("segment " + std::to_string(seg.index()) + " ended at " + std::to_string(p.position) + " (" +
                    std::to_string(seg.error()) + ")");
          if (result == HTTP_OK) result = seg.error() != 0 ? seg.error() : SEGMENT_GAVE_UP;
        }
        finished_ += p.done;
        seg.Stop();
        it = segments_.erase(it);
      } else {
        running += p.done;
        ++it;
      }
    }
    if (!segments_.empty()) clock.sleepMs(timing_.waitPassPerSegmentMs * static_cast<uint32_t>(segments_.size()));
    if (saveResumeRecord(record_) != 0) debugLine("cannot write break.cfg");

    const int64_t done = finished_ + running;
    const uint32_t now = clock.ms();
    if (sink_ && done > 0 && now - g_lastReportMs.load() > timing_.progressReportMs) {
      g_lastReportMs.store(now);
      const double elapsed = static_cast<double>(now - startMs_);
      double left = elapsed / static_cast<double>(done) * static_cast<double>(length_ - done) * 0.001;
      if (left > std::numeric_limits<int32_t>::max()) left = std::numeric_limits<int32_t>::max();
      sink_->OnFileProgress(static_cast<int32_t>(length_), static_cast<int32_t>(done), static_cast<int32_t>(left));
    }
  }
  file_.reset();
  return result;
}

void CHttpDownloader::Reset() {
  file_.reset();
  for (auto& s : segments_) s->Stop();
  segments_.clear();
  url_.clear();
  target_ = {};
  ip_ = 0;
  cookie_.clear();
  length_ = 0;
  sink_ = nullptr;
}

}  // namespace updater

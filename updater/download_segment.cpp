// A segment's thread: connect, check the answer, then receive and write until its last byte.
#include "updater/download_segment.h"

#include <vector>

#include "plat/platform.h"
#include "updater/file_lock.h"
#include "updater/http_codes.h"
#include "updater/http_head.h"
#include "updater/http_request.h"

namespace updater {

namespace net = plat::net;

namespace {

constexpr size_t kReceiveSize = 10240;
constexpr int SEGMENT_WRITE_FAILED = 235;  // the local file refused a write

// The answer to a range request from `position` must be a 206 whose Content-Range, when there
// is one, starts at that byte: anything else (a whole file, a 416, an error page) would put
// other bytes at the position.
bool answersRange(std::string_view head, int32_t position) {
  int status = 0;
  char cls = 0;
  if (!parseStatus(head, status, cls) || status != 206) return false;
  std::string range;
  if (headerField(head, "Content-Range: ", range, 1, 1) != 0) return true;
  constexpr std::string_view kUnit = "bytes ";
  if (range.compare(0, kUnit.size(), kUnit) != 0) return false;
  const std::string_view start = std::string_view(range).substr(kUnit.size());
  if (start.empty() || start.front() < '0' || start.front() > '9') return false;
  return parseLength(start) == position;
}

}  // namespace

CDownloadSegment::CDownloadSegment(int index, SegmentTarget target, SegmentSpan span, int32_t position,
                                   std::shared_ptr<plat::File> file, const Timing& timing)
    : index_(index), target_(std::move(target)), span_(span), timing_(timing), file_(std::move(file)),
      position_(position) {}

CDownloadSegment::~CDownloadSegment() { Stop(); }

void CDownloadSegment::Run() {
  if (complete()) {
    ended_.store(true);
    return;
  }
  thread_ = std::thread([this] { threadMain(); });
}

void CDownloadSegment::Stop() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

SegmentProgress CDownloadSegment::progress() const {
  SegmentProgress p;
  p.position = position_.load();
  p.last = span_.last;
  p.complete = p.position > span_.last;
  p.done = (p.position < span_.last ? p.position : span_.last) - span_.first + 1;
  return p;
}

bool CDownloadSegment::writeBytes(const uint8_t* data, size_t n) {
  const int32_t at = position_.load();
  const int64_t room = int64_t(span_.last) - at + 1;
  if (room <= 0 || n == 0) return true;
  const size_t take = static_cast<int64_t>(n) > room ? static_cast<size_t>(room) : n;
  // The position moves only after the bytes are in the file, so a saved position never
  // counts bytes that are not there.
  if (!lockedWriteAt(*file_, at, data, take)) return false;
  position_.store(at + static_cast<int32_t>(take));
  return true;
}

int CDownloadSegment::connect() {
  socket_.close();
  net::Socket s = net::tcpSocket();
  if (!s.valid()) return SEGMENT_NO_SOCKET;
  if (!net::connect(s, target_.ip, target_.url.port, plat::environment().netConnectTimeoutMs))
    return SEGMENT_NO_CONNECTION;
  socket_ = std::move(s);
  sendRequest(socket_, buildHttpRequest(target_.url, target_.cookie, position_.load()), timing_);
  std::string text;
  if (!readHttpHead(socket_, timing_, text, &stop_)) return SEGMENT_CLOSED_BEFORE_HEAD;
  const std::string_view head = headPart(text);
  if (head.size() < 4 || head.substr(head.size() - 4) != "\r\n\r\n") return SEGMENT_NO_HEAD_END;
  if (!answersRange(head, position_.load())) return SEGMENT_BAD_RESPONSE;
  const std::string_view body = std::string_view(text).substr(head.size());
  if (!writeBytes(reinterpret_cast<const uint8_t*>(body.data()), body.size())) return SEGMENT_WRITE_FAILED;
  return 0;
}

void CDownloadSegment::threadMain() {
  plat::IClock& clock = plat::get().clock();
  std::vector<uint8_t> buf(kReceiveSize);
  uint32_t lastProgress = clock.ms();
  uint32_t failures = 0;

  // One connect step; a failure closes the connection and counts toward the limit.
  auto connectStep = [&]() {
    const int32_t before = position_.load();
    const int rc = connect();
    if (position_.load() != before) lastProgress = clock.ms();
    if (rc == 0) {
      failures = 0;
      return true;
    }
    socket_.close();
    error_.store(rc);
    ++failures;
    return false;
  };

  bool up = connectStep();
  while (!stop_.load() && !complete()) {
    if (error_.load() == SEGMENT_WRITE_FAILED) break;
    if (failures >= timing_.segmentMaxReconnects) break;
    if (clock.ms() - lastProgress >= timing_.segmentStallMs) {
      error_.store(SEGMENT_GAVE_UP);
      break;
    }
    bool brought = false;
    if (up) {
      size_t got = 0;
      const net::Io r = net::recv(socket_, buf.data(), buf.size(), got);
      if (r == net::Io::Ok && got > 0) {
        if (!writeBytes(buf.data(), got)) {
          error_.store(SEGMENT_WRITE_FAILED);
          break;
        }
        lastProgress = clock.ms();
        brought = true;
      } else if (r == net::Io::Closed || r == net::Io::Error) {
        up = connectStep();
      }
    } else {
      up = connectStep();
    }
    // Only a round that brought nothing waits; a flowing connection is read back to back.
    if (!brought && !complete() && !stop_.load()) clock.sleepMs(timing_.segmentIdleWaitMs);
  }
  socket_.close();
  if (complete()) error_.store(0);
  ended_.store(true);
}

}  // namespace updater

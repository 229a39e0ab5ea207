// "break.cfg" as a crashed or hostile run may leave it. Any bytes give a code or a record; a
// record writes back as the bytes it was read from; a record that passes the checks for its own
// URL, length and count has every position inside its segment.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "updater/resume_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  updater::DOWNLOAD_RESUME_RECORD r;
  if (updater::parseResumeRecord(std::span<const uint8_t>(data, size), r) != 0) return 0;
  const std::vector<uint8_t> back = updater::encodeResumeRecord(r);
  if (back.size() > size || !std::equal(back.begin(), back.end(), data)) std::abort();
  if (updater::checkResumeRecord(r, r.url, r.fileLength, r.count(), r.fileLength) != 0) return 0;
  const auto spans = updater::splitSegments(r.fileLength, r.count());
  for (size_t i = 0; i < spans.size(); ++i) {
    const int64_t end = spans[i].last >= spans[i].first ? int64_t(spans[i].last) + 1 : spans[i].first;
    if (r.positions[i] < spans[i].first || r.positions[i] > end) std::abort();
  }
  return 0;
}

// "break.cfg": its bytes, its checks, and its file in the game folder.
#include "updater/resume_record.h"

#include <memory>

#include "plat/bytes.h"
#include "plat/platform.h"
#include "updater/http_codes.h"
#include "updater/module_path.h"

namespace updater {

namespace {

constexpr plat::FieldSpec kRecordHead[] = {
    {"url length", 0, 4},
    {"file length", 4, 4},
    {"segment count", 8, 4},
};
static_assert(plat::checkLayout(kRecordHead, 12));
constexpr plat::FieldSpec kSegmentEntry[] = {
    {"position", 0, 4},
    {"last byte", 4, 4},
};
static_assert(plat::checkLayout(kSegmentEntry, 8));
constexpr size_t kEntrySize = 8;
constexpr size_t kReadLimit = 1 << 20;  // far above any record a download writes
constexpr const char* kTempName = "break.cfg.tmp";

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int DOWNLOAD_RESUME_RECORD::readSegment(int32_t index, int32_t& position, int32_t& last) const {
  if (index < 0 || index >= count()) return RESUME_READ_INDEX;
  position = positions[static_cast<size_t>(index)];
  last = lasts[static_cast<size_t>(index)];
  return 0;
}

int DOWNLOAD_RESUME_RECORD::writeSegment(int32_t index, int32_t position, int32_t last) {
  if (index < 0 || index >= count()) return RESUME_WRITE_INDEX;
  positions[static_cast<size_t>(index)] = position;
  lasts[static_cast<size_t>(index)] = last;
  return 0;
}

std::vector<SegmentSpan> splitSegments(int32_t length, int32_t count) {
  std::vector<SegmentSpan> spans;
  if (count < 1) return spans;
  const int32_t size = length / count;
  for (int32_t i = 0; i < count; ++i) {
    SegmentSpan s;
    s.first = i * size;
    s.last = i < count - 1 ? s.first + size - 1 : length - 1;
    spans.push_back(s);
  }
  return spans;
}

std::vector<uint8_t> encodeResumeRecord(const DOWNLOAD_RESUME_RECORD& record) {
  plat::ByteWriter w;
  w.i32(static_cast<int32_t>(record.url.size()));
  w.i32(record.fileLength);
  w.i32(record.count());
  w.bytes(record.url.data(), record.url.size());
  for (int32_t i = 0; i < record.count(); ++i) {
    w.i32(record.positions[static_cast<size_t>(i)]);
    w.i32(record.lasts[static_cast<size_t>(i)]);
  }
  return w.take();
}

int parseResumeRecord(std::span<const uint8_t> bytes, DOWNLOAD_RESUME_RECORD& record) {
  plat::ByteReader r(bytes);
  if (r.remaining() < 4) return RESUME_URL_LENGTH_SHORT;
  const int32_t urlLength = r.i32(kRecordHead[0].name);
  if (urlLength < 1 || urlLength > RESUME_URL_MAX) return RESUME_URL_LENGTH_RANGE;
  if (r.remaining() < 4) return RESUME_FILE_LENGTH_SHORT;
  const int32_t fileLength = r.i32(kRecordHead[1].name);
  if (fileLength <= 0) return RESUME_FILE_LENGTH_RANGE;
  if (r.remaining() < 4) return RESUME_COUNT_SHORT;
  const int32_t count = r.i32(kRecordHead[2].name);
  if (count <= 0) return RESUME_COUNT_RANGE;
  if (r.remaining() < static_cast<size_t>(urlLength)) return RESUME_URL_SHORT;
  const std::span<const uint8_t> url = r.bytes(static_cast<size_t>(urlLength), "url");
  // The table's size in 64 bits: a huge count can never wrap into a small one.
  if (static_cast<uint64_t>(r.remaining()) < static_cast<uint64_t>(count) * kEntrySize) return RESUME_TABLE_SHORT;
  plat::ByteReader table = r.records(static_cast<uint64_t>(count), kEntrySize, "segments");
  record = {};
  record.url.assign(url.begin(), url.end());
  record.fileLength = fileLength;
  record.positions.resize(static_cast<size_t>(count));
  record.lasts.resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t position = table.i32(kSegmentEntry[0].name);
    const int32_t last = table.i32(kSegmentEntry[1].name);
    if (const int rc = record.writeSegment(i, position, last); rc != 0) return rc;
  }
  return 0;
}

int checkResumeRecord(const DOWNLOAD_RESUME_RECORD& record, std::string_view url, int32_t length, int32_t count,
                      int64_t targetSize) {
  if (!equalIgnoringAsciiCase(record.url, url)) return RESUME_OTHER_URL;
  if (record.fileLength != length) return RESUME_OTHER_LENGTH;
  if (record.count() != count) return RESUME_OTHER_COUNT;
  if (targetSize != length) return RESUME_OTHER_FILE_SIZE;
  const std::vector<SegmentSpan> spans = splitSegments(length, count);
  for (int32_t i = 0; i < count; ++i) {
    int32_t position = 0, last = 0;
    if (const int rc = record.readSegment(i, position, last); rc != 0) return rc;
    const SegmentSpan& s = spans[static_cast<size_t>(i)];
    // Between the segment's first byte and one past its last (an empty segment: its first).
    const int64_t end = s.last >= s.first ? int64_t(s.last) + 1 : s.first;
    if (position < s.first || position > end) return RESUME_POSITION_RANGE;
  }
  return 0;
}

int loadResumeRecord(DOWNLOAD_RESUME_RECORD& record) {
  std::unique_ptr<plat::File> f = plat::get().files().open(ModulePath(DOWNLOAD_RESUME_FILE), "rb");
  if (!f) return RESUME_CANNOT_READ;
  std::vector<uint8_t> bytes(kReadLimit);
  bytes.resize(f->read(bytes.data(), bytes.size()));
  return parseResumeRecord(bytes, record);
}

int saveResumeRecord(const DOWNLOAD_RESUME_RECORD& record) {
  plat::IFileSystem& files = plat::get().files();
  const std::string temp = ModulePath(kTempName);
  const std::vector<uint8_t> bytes = encodeResumeRecord(record);
  {
    std::unique_ptr<plat::File> f = files.open(temp, "wb");
    if (!f || f->write(bytes.data(), bytes.size()) != bytes.size()) {
      f.reset();
      files.remove(temp);
      return RESUME_CANNOT_WRITE;
    }
  }
  return files.replaceFile(temp, ModulePath(DOWNLOAD_RESUME_FILE)) ? 0 : RESUME_CANNOT_WRITE;
}

}  // namespace updater

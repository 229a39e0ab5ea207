// "break.cfg": where a download's segments stood, so that an interrupted download goes on.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

constexpr const char* DOWNLOAD_RESUME_FILE = "break.cfg";
constexpr const char* DOWNLOAD_RESUME_BACKUP = "break.bak";
// The file whose size decides whether a record may resume, whatever file the download writes.
constexpr const char* DOWNLOAD_RESUME_TARGET = "bin.zip";
constexpr int32_t RESUME_URL_MAX = 1024;

struct SegmentSpan {
  int32_t first = 0;
  int32_t last = -1;   // below first: an empty segment
};

// The record as it lies in the file (little-endian): i32 URL length, i32 file length, i32
// segment count, the URL without terminator, then per segment i32 position and i32 last byte.
struct DOWNLOAD_RESUME_RECORD {
  std::string url;
  int32_t fileLength = 0;
  std::vector<int32_t> positions;  // the next byte each segment fetches
  std::vector<int32_t> lasts;      // each segment's last byte

  int32_t count() const { return static_cast<int32_t>(positions.size()); }
  // 0, or RESUME_READ_INDEX / RESUME_WRITE_INDEX for an index outside the table.
  int readSegment(int32_t index, int32_t& position, int32_t& last) const;
  int writeSegment(int32_t index, int32_t position, int32_t last);
};

// The segments of a file of `length` bytes in `count` parts: each but the last length / count
// bytes, the last the rest. With fewer bytes than parts the leading parts are empty.
std::vector<SegmentSpan> splitSegments(int32_t length, int32_t count);

// The record's bytes, and back; parse gives 0 or the code of the field that is short or out of
// range.
std::vector<uint8_t> encodeResumeRecord(const DOWNLOAD_RESUME_RECORD& record);
int parseResumeRecord(std::span<const uint8_t> bytes, DOWNLOAD_RESUME_RECORD& record);

// Whether a parsed record describes the download at hand: 0, or the validation code (another
// URL ignoring ASCII case, length, count, a resume target of another size, a position outside
// its segment).
int checkResumeRecord(const DOWNLOAD_RESUME_RECORD& record, std::string_view url, int32_t length, int32_t count,
                      int64_t targetSize);

// "break.cfg" in the game folder: loaded (0 or a code), and written whole through a temporary
// file renamed over it (0 or RESUME_CANNOT_WRITE).
int loadResumeRecord(DOWNLOAD_RESUME_RECORD& record);
int saveResumeRecord(const DOWNLOAD_RESUME_RECORD& record);

}  // namespace updater

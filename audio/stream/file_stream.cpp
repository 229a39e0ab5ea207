#include "audio/stream/file_stream.h"

#include <cstdio>

#include "plat/platform.h"

namespace audio {

namespace {
// Always binary. A creating mode opens through a "w" mode string (read-write unless the stream
// only writes); the platform's 'k' and 'x' letters give creation without truncation and exclusive
// creation.
const char* modeString(int access, int creation) {
  const bool writeOnly = access == 1;
  switch (creation) {
    case 0: return access == 0 || access == 2 ? "rb" : "r+b";
    case CFileStream::kCreate: return writeOnly ? "wbk" : "w+bk";
    case CFileStream::kCreateTruncate: return writeOnly ? "wb" : "w+b";
    default: return writeOnly ? "wbx" : "w+bx";
  }
}
}  // namespace

int CFileStream::open(std::string_view path, int mode) { return open(plat::get().files(), path, mode); }

int CFileStream::open(plat::IFileSystem& files, std::string_view path, int mode) {
  close();
  const int access = mode & 3;
  std::unique_ptr<plat::File> file = files.open(path, modeString(access, mode & 12));
  if (!file) return -1;
  int64_t size = 0;
  if (!file->seek(0, SEEK_END) || (size = file->tell()) < 0) return -1;
  static constexpr uint32_t kByAccess[4] = {
      kReadable, kWritable, kReadable | kRandomAccess,
      kReadable | kWritable | kRandomAccess | kExtendable};
  if (access == 1) {
    size = 0;  // writing starts at the end, which stays there
  } else if (!file->seek(0, SEEK_SET)) {
    return -1;
  }
  file_ = std::move(file);
  truncateOnClose_ = false;
  flags_ = kOpen | kByAccess[access];
  position_ = writePosition_ = 0;
  size_ = size;
  return 0;
}

int CFileStream::rawClose() {
  // The base close writes the cache back and leaves the device at the logical position.
  const int r = CStream::rawClose();
  if (truncateOnClose_ && file_) {
    const int64_t at = file_->tell();
    if (at >= 0) file_->truncate(at);
  }
  truncateOnClose_ = false;
  file_.reset();
  return r;
}

int64_t CFileStream::rawControl(int code, void* arg, int64_t v) {
  switch (code) {
    case kSetTruncateOnClose: {
      const bool old = truncateOnClose_;
      truncateOnClose_ = (flags_ & kExtendable) != 0 && v != 0;
      return old ? 1 : 0;
    }
    case kGetTruncateOnClose: return truncateOnClose_ ? 1 : 0;
    default: return CStream::rawControl(code, arg, v);
  }
}

int64_t CFileStream::rawRead(uint8_t* buffer, int64_t n) {
  return file_ ? static_cast<int64_t>(file_->read(buffer, static_cast<size_t>(n))) : 0;
}

int64_t CFileStream::rawPeek(uint8_t* buffer, int64_t n) {
  const int64_t got = rawRead(buffer, n);
  if (got > 0) file_->seek(-got, SEEK_CUR);
  return got;
}

int64_t CFileStream::rawWrite(const uint8_t* buffer, int64_t n) {
  return file_ ? static_cast<int64_t>(file_->write(buffer, static_cast<size_t>(n))) : 0;
}

int64_t CFileStream::rawSeek(int64_t position) {
  if (!file_ || !file_->seek(position, SEEK_SET)) return position_;
  return file_->tell();
}

}  // namespace audio

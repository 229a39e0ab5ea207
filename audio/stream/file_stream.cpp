#include "audio/stream/file_stream.h"

#include <cstdio>

#include "plat/platform.h"

namespace audio {

namespace {
// Always binary. Creating without truncating and creating exclusively are not offered by the
// platform's mode strings, so those modes fail.
const char* modeString(int access, int creation) {
  if (creation == 0) return access == 0 || access == 2 ? "rb" : "r+b";
  if (creation == CFileStream::kCreateTruncate) {
    if (access == 1) return "wb";
    if (access == 3) return "w+b";
  }
  return nullptr;
}
}  // namespace

int CFileStream::open(std::string_view path, int mode) { return open(plat::get().files(), path, mode); }

int CFileStream::open(plat::IFileSystem& files, std::string_view path, int mode) {
  close();
  const int access = mode & 3;
  const char* how = modeString(access, mode & 12);
  if (how == nullptr) return -1;
  std::unique_ptr<plat::File> file = files.open(path, how);
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
  flags_ = kOpen | kByAccess[access];
  position_ = writePosition_ = 0;
  size_ = size;
  return 0;
}

int CFileStream::rawClose() {
  const int r = CStream::rawClose();
  file_.reset();
  return r;
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

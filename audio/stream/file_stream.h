// A stream over a file of the game folder, opened through the path resolver.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "audio/stream/stream.h"
#include "plat/files.h"

namespace audio {

class CFileStream : public CStream {
 public:
  // Access in bits 0-1: 0 read, 1 write at the end, 2 read with random access, 3 read-write
  // extendable. Creation in bits 2-3: 0 none, 4 create (keeping an existing file), 8 create and
  // truncate, 12 create exclusively (fails when the file exists).
  enum : int { kCreate = 4, kCreateTruncate = 8, kCreateExclusive = 12 };
  // Controls of the file stream; other codes go to the base.
  enum : int { kSetTruncateOnClose = 36, kGetTruncateOnClose = 37 };

  ~CFileStream() override { close(); }
  // 0, or -1 (the stream stays closed).
  int open(std::string_view path, int mode);
  int open(plat::IFileSystem& files, std::string_view path, int mode);

 protected:
  int rawClose() override;
  int64_t rawRead(uint8_t* buffer, int64_t n) override;
  int64_t rawPeek(uint8_t* buffer, int64_t n) override;
  int64_t rawWrite(const uint8_t* buffer, int64_t n) override;
  int64_t rawSeek(int64_t position) override;
  int64_t rawControl(int code, void* arg, int64_t v) override;

 private:
  std::unique_ptr<plat::File> file_;
  // Cut the file at the device position when the stream closes.
  bool truncateOnClose_ = false;
};

}  // namespace audio

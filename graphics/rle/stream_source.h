// One reader for the image and container formats over either kind of open file: a file of the
// file layer or a PAK file. The readers know the file's size, so a count or size that the file
// cannot hold is refused before anything is allocated.
#pragma once
#include <cstddef>
#include <cstdint>

struct PAK_FILE;
namespace plat {
class File;
}

class StreamSource {
 public:
  virtual ~StreamSource() = default;
  // Reads exactly n bytes; false (and nothing promised about dst) when fewer remain.
  virtual bool read(void* dst, size_t n) = 0;
  virtual bool seek(int64_t position) = 0;
  virtual int64_t tell() = 0;
  virtual int64_t size() = 0;
  int64_t remaining() {
    const int64_t left = size() - tell();
    return left > 0 ? left : 0;
  }
  bool skip(uint64_t n) {
    if (n > static_cast<uint64_t>(remaining())) return false;
    return seek(tell() + static_cast<int64_t>(n));
  }
  bool u32(uint32_t& v);
};

class FileSource : public StreamSource {
 public:
  explicit FileSource(plat::File* f) : f_(f) {}
  bool read(void* dst, size_t n) override;
  bool seek(int64_t position) override;
  int64_t tell() override;
  int64_t size() override;

 private:
  plat::File* f_;
};

class PakSource : public StreamSource {
 public:
  explicit PakSource(PAK_FILE* f) : f_(f) {}
  bool read(void* dst, size_t n) override;
  bool seek(int64_t position) override;
  int64_t tell() override;
  int64_t size() override;

 private:
  PAK_FILE* f_;
  bool at_end_ = false;
};

struct RLE_IMAGE;
// The "RLE " payload from the source, validated and converted from 555; null (logged) when it
// is short, malformed or too large. The source stands after the payload only on success.
RLE_IMAGE* rle_read_payload(StreamSource& src, uint64_t limit);
namespace plat {
class ByteWriter;
}
// The same payload written, its colours converted to 555 (the image itself is left as it is).
void rle_write_payload(plat::ByteWriter& w, const RLE_IMAGE* image);

// A stream over a byte vector, seekable or sequential, with injectable short reads and writes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/stream/stream.h"

namespace test_support {

// n bytes of a simple progression, distinct enough to show misplaced reads.
inline std::vector<uint8_t> patternBytes(size_t n, unsigned step = 7, unsigned first = 1) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * step + first);
  return v;
}

class MemoryStream : public audio::CStream {
 public:
  MemoryStream(std::vector<uint8_t> bytes, bool randomAccess, bool writable = false)
      : data(std::move(bytes)) {
    flags_ = kOpen | kReadable | (writable ? kWritable : 0u) |
             (randomAccess ? kRandomAccess | (writable ? kExtendable : 0u) : 0u);
    size_ = static_cast<int64_t>(data.size());
  }
  ~MemoryStream() override { close(); }

  std::vector<uint8_t> data;
  int64_t at = 0;              // device position
  int64_t readLimit = -1;      // most bytes one raw read gives (-1: all)
  int64_t writeLimit = -1;     // most bytes one raw write takes (-1: all)
  int reads = 0;

 protected:
  int64_t avail() const { return std::max<int64_t>(0, static_cast<int64_t>(data.size()) - at); }
  int64_t rawRead(uint8_t* buffer, int64_t n) override {
    ++reads;
    int64_t k = std::min(n, avail());
    if (readLimit >= 0) k = std::min(k, readLimit);
    if (k > 0) std::memcpy(buffer, data.data() + at, static_cast<size_t>(k));
    at += k;
    return k;
  }
  int64_t rawPeek(uint8_t* buffer, int64_t n) override {
    const int64_t k = std::min(n, avail());
    if (k > 0) std::memcpy(buffer, data.data() + at, static_cast<size_t>(k));
    return k;
  }
  int64_t rawWrite(const uint8_t* buffer, int64_t n) override {
    const int64_t k = writeLimit >= 0 ? std::min(n, writeLimit) : n;
    if (at + k > static_cast<int64_t>(data.size())) data.resize(static_cast<size_t>(at + k));
    if (k > 0) std::memcpy(data.data() + at, buffer, static_cast<size_t>(k));
    at += k;
    return k;
  }
  int64_t rawSeek(int64_t position) override {
    at = position;
    return at;
  }
};

}  // namespace test_support

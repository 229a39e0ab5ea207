#include "audio/stream/slice_stream.h"

#include <algorithm>

namespace audio {

int CSliceStream::open(CStream* inner, int64_t start, int64_t length) {
  close();
  if (inner == nullptr) return -1;
  uint32_t f = inner->flags() & ~kExtendable;
  if (!(f & kOpen) || (f & ~kOpen) == 0) return -1;
  start = std::max<int64_t>(start, 0);
  length = std::max<int64_t>(length, 0);
  if (f & kRandomAccess) {
    const int64_t size = inner->size();
    start = std::min(start, size);
    length = std::min(length, size - start);
  } else {
    // A sequential inner stream cannot be moved: it must already stand at the start.
    f &= ~kWritable;
    if (!(f & kReadable) || inner->control(0, nullptr, 0) != start) return -1;
  }
  inner_ = inner;
  start_ = start;
  length_ = length;
  at_ = 0;
  flags_ = f;
  position_ = writePosition_ = 0;
  size_ = length;
  return 0;
}

int64_t CSliceStream::clampCount(int64_t n) const {
  return std::clamp<int64_t>(n, 0, std::max<int64_t>(length_ - at_, 0));
}

int64_t CSliceStream::rawRead(uint8_t* buffer, int64_t n) {
  n = clampCount(n);
  if (n == 0 || inner_ == nullptr) return 0;
  if (flags_ & kRandomAccess) inner_->seek(start_ + at_);
  const int64_t got = inner_->read(buffer, n);
  at_ += got;
  return got;
}

int64_t CSliceStream::rawPeek(uint8_t* buffer, int64_t n) {
  n = clampCount(n);
  if (n == 0 || inner_ == nullptr) return 0;
  return inner_->peek(buffer, n);
}

int64_t CSliceStream::rawWrite(const uint8_t* buffer, int64_t n) {
  n = clampCount(n);
  if (n == 0 || inner_ == nullptr) return 0;
  if (flags_ & kRandomAccess) inner_->seek(start_ + at_);
  const int64_t put = inner_->write(buffer, n);
  at_ += put;
  return put;
}

int64_t CSliceStream::rawSeek(int64_t position) {
  at_ = std::clamp<int64_t>(position, 0, length_);
  return at_;
}

}  // namespace audio

#include "audio/stream/system_stream.h"

#include <algorithm>

namespace audio {

namespace {
constexpr int kPackId = 0xBA;
constexpr int kSystemHeaderId = 0xBB;
constexpr int kEndId = 0xB9;
constexpr int kFixedSystemHeader = 6;
}  // namespace

int CMpegSystemStream::open(CStream* inner, int streamId, bool skipSystemHeaderCheck) {
  close();
  if (inner == nullptr || !(inner->flags() & kReadable)) return -1;
  inner_ = inner;
  streamId_ = streamId;
  skipHeaderCheck_ = skipSystemHeaderCheck;
  payloadLeft_ = 0;
  end_ = false;
  if (!findPacket()) {
    inner_ = nullptr;
    return -1;
  }
  flags_ = kOpen | kReadable;
  position_ = writePosition_ = size_ = 0;
  return 0;
}

bool CMpegSystemStream::skipInner(int64_t n) { return n <= 0 || inner_->read(nullptr, n) == n; }

bool CMpegSystemStream::findPacket() {
  for (;;) {
    if (inner_->control(2, nullptr, 0) != 0) return false;
    uint8_t code[4] = {};
    inner_->peek(code, 4);
    if (code[0] != 0 || code[1] != 0 || code[2] != 1) {
      if (!skipInner(1)) return false;
      continue;
    }
    skipInner(3);
    const int id = inner_->readByte();
    if (id < 0) return false;
    if (id == streamId_) break;
    if (id == kEndId) {
      skipInner(1);
      return false;
    }
    if (id == kPackId) {
      skipInner(8);
      continue;
    }
    if (id < kSystemHeaderId) continue;
    // Lengths below the fixed part never read backwards.
    int64_t length = inner_->readU16(ByteOrder::Big);
    if (id == kSystemHeaderId) {
      length = std::max<int64_t>(length - kFixedSystemHeader, 0);
      if (skipHeaderCheck_) {
        skipInner(length);
        continue;
      }
      skipInner(kFixedSystemHeader);
      bool listed = false;
      while (length >= 3 && inner_->peekByte() >= 0x80) {
        if (inner_->peekByte() == streamId_) {
          listed = true;
          break;
        }
        skipInner(3);
        length -= 3;
      }
      if (!listed) return false;
      skipInner(length);
      continue;
    }
    skipInner(length);
  }
  int64_t length = inner_->readU16(ByteOrder::Big);
  while (length > 0 && inner_->peekByte() == 0xFF) {
    skipInner(1);
    --length;
  }
  int c = inner_->peekByte();
  if (c >= 0 && (c & 0xC0) == 0x40) {  // buffer size field
    skipInner(2);
    length -= 2;
    c = inner_->peekByte();
  }
  int64_t stamps = -1;
  if (c >= 0 && (c >> 4) == 0x2) stamps = 5;
  else if (c >= 0 && (c >> 4) == 0x3) stamps = 10;
  else if (c == 0x0F) stamps = 1;
  if (stamps < 0 || length < stamps) {
    skipInner(std::max<int64_t>(length, 0));  // malformed packet header: the stream ends here
    return false;
  }
  skipInner(stamps);
  payloadLeft_ = length - stamps;
  return true;
}

int64_t CMpegSystemStream::rawRead(uint8_t* buffer, int64_t n) {
  int64_t given = 0;
  while (given < n && !end_) {
    if (inner_->control(2, nullptr, 0) != 0) end_ = true;  // the current chunk is still read
    const int64_t want = std::min(payloadLeft_, n - given);
    const int64_t got = inner_->read(buffer + given, want);
    given += got;
    payloadLeft_ -= got;
    if (got < want) {
      end_ = true;
      break;
    }
    if (payloadLeft_ == 0 && !end_ && !findPacket()) end_ = true;
  }
  return given;
}

int64_t CMpegSystemStream::rawPeek(uint8_t* buffer, int64_t n) {
  return inner_ != nullptr ? inner_->peek(buffer, std::min(n, payloadLeft_)) : 0;
}

int64_t CMpegSystemStream::rawControl(int code, void* arg, int64_t v) {
  if (code == 49) return end_ ? 1 : 0;
  return CStream::rawControl(code, arg, v);
}

}  // namespace audio

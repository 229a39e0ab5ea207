#include "audio/stream/stream.h"

#include <algorithm>
#include <cstring>

namespace audio {

namespace {
constexpr int64_t kSkipChunk = 256;
constexpr int kMaxBits = 25;
}  // namespace

CStream::~CStream() { close(); }

int CStream::rawClose() {
  flushBits();
  flushWriteBuffer(1);
  if (flags_ & kRandomAccess) {
    writeBackCache(1, position_);
    rawSeek(position_);
  }
  return 0;
}
int64_t CStream::rawRead(uint8_t*, int64_t) { return 0; }
int64_t CStream::rawPeek(uint8_t*, int64_t) { return 0; }
int64_t CStream::rawWrite(const uint8_t*, int64_t) { return 0; }
int64_t CStream::rawSeek(int64_t) { return 0; }

int64_t CStream::rawControl(int code, void* arg, int64_t v) {
  const bool random = (flags_ & kRandomAccess) != 0;
  switch (code) {
    case 0: return position_;
    case 1: return random ? position_ : writePosition_;
    case 2:
      if (!(flags_ & kReadable)) return 1;
      return buffered() > 0 ? 0 : control(49, nullptr, 0);
    case 3:
      if (!(flags_ & kWritable)) return 1;
      if (!random) return control(50, nullptr, 0);
      return position_ == size_ && !(flags_ & kExtendable) ? 1 : 0;
    case 4: return size_;
    case 9: return shortRead_ ? 1 : 0;
    case 10: { const bool f = shortRead_; shortRead_ = false; return f ? 1 : 0; }
    case 11: return writeError_ ? 1 : 0;
    case 12: { const bool f = writeError_; writeError_ = false; return f ? 1 : 0; }
    case 13:
    case 14: return size_ - position_;
    case 15: return setReadBuffer(v);
    case 16: return static_cast<int64_t>(readBuf_.size());
    case 17: return buffered();
    case 18: return random ? setReadBuffer(v) : setWriteBuffer(v);
    case 19: return static_cast<int64_t>(random ? readBuf_.size() : writeBuf_.size());
    case 20: return random ? std::clamp<int64_t>(position_ - cacheBase_, 0, readValid_) : readOffset_;
    case 29: return writeBackCache(0, position_) ? 1 : 0;
    case 30: return writeBackCache(1, position_) ? 1 : 0;
    case 31: return writeBackCache(2, position_) ? 1 : 0;
    case 21: { const int old = fillByte_; fillByte_ = v < 0 ? -1 : static_cast<int>(v & 0xFF); return old; }
    case 22: return fillByte_;
    case 23: { const int old = bitReadOrder_; bitReadOrder_ = v != 0; return old; }
    case 24: return bitReadOrder_;
    case 25:
      if (random) { const int old = bitReadOrder_; bitReadOrder_ = v != 0; return old; }
      else { const int old = bitWriteOrder_; bitWriteOrder_ = v != 0; return old; }
    case 26: return random ? bitReadOrder_ : bitWriteOrder_;
    case 27: { const bool old = padOnes_; padOnes_ = v != 0; return old ? 0xFF : 0; }
    case 28: return padOnes_ ? 0xFF : 0;
    case 32: return flushWriteBuffer(0) ? 1 : 0;
    case 33: return flushWriteBuffer(1) ? 1 : 0;
    case 34: return flushWriteBuffer(2) ? 1 : 0;
    case 42:
    {
      alignBits();
      const bool ok = writeBackCache(2, position_);
      readValid_ = readOffset_ = 0;
      if (!ok) return 0;
      if (!random) flags_ &= ~kReadable;
      return 1;
    }
    case 43: {
      bool ok = flushBits();
      ok = flushWriteBuffer(1) && ok;
      flags_ &= ~kWritable;
      return ok ? 1 : 0;
    }
    case 44:
      flushBits();
      flushWriteBuffer(1);
      return 1;
    case 49: return position_ == size_ ? 1 : 0;
    case 50: return 0;
    case 51: tee_ = static_cast<CStream*>(arg); return 0;
    default: return 0;
  }
}

int64_t CStream::control(int code, void* arg, int64_t v) {
  return chained_ ? chained_->control(code, arg, v) : rawControl(code, arg, v);
}

void CStream::chain(CStream* other, bool owns, int64_t position, int64_t writePosition,
                    int64_t size, uint32_t clearFlags) {
  close();
  if (other == nullptr || other == this) return;
  if (position != -1) other->position_ = position;
  if (writePosition != -1) other->writePosition_ = writePosition;
  if (size != -1) other->size_ = size;
  other->flags_ &= ~clearFlags;
  chained_ = other;
  ownsChained_ = owns;
}

int CStream::close() {
  if (chained_ != nullptr) {
    CStream* other = chained_;
    const bool owned = ownsChained_;
    chained_ = nullptr;
    ownsChained_ = false;
    const int r = other->close();
    if (owned) delete other;
    return r;
  }
  if (!(flags_ & kOpen)) return 0;
  const int r = rawClose();
  if (r == 0) {
    flags_ = 0;
    position_ = writePosition_ = size_ = 0;
    tee_ = nullptr;
    bitReadOffset_ = bitWritePending_ = 0;
    readBuf_.clear();
    readBuf_.shrink_to_fit();
    readValid_ = readOffset_ = 0;
    writeBuf_.clear();
    writeBuf_.shrink_to_fit();
    writePending_ = 0;
  }
  return r;
}

void CStream::fillShort(uint8_t* buffer, int64_t got, int64_t n) {
  if (got >= n) return;
  shortRead_ = true;
  if (fillByte_ >= 0) std::memset(buffer + got, fillByte_, static_cast<size_t>(n - got));
}

int64_t CStream::buffered() const {
  if (flags_ & kRandomAccess) return inCache(position_) ? cacheBase_ + readValid_ - position_ : 0;
  return readValid_ - readOffset_;
}

bool CStream::writeBackCache(int mode, int64_t restartAt) {
  if (dirty_ && readValid_ > 0) {
    const int64_t end = cacheBase_ + readValid_;
    rawSeek(cacheBase_);
    const int64_t put = std::clamp<int64_t>(rawWrite(readBuf_.data(), readValid_), 0, readValid_);
    if (put < readValid_) {
      writeError_ = true;
      if (mode == 0) {
        std::memmove(readBuf_.data(), readBuf_.data() + put, static_cast<size_t>(readValid_ - put));
        cacheBase_ += put;
        readValid_ -= put;
        return false;
      }
      if (size_ == end) {
        size_ = cacheBase_ + put;
        position_ = std::min(position_, size_);
        restartAt = std::min(restartAt, size_);
      }
    }
  }
  dirty_ = false;
  if ((flags_ & kRandomAccess) || mode == 2) {
    cacheBase_ = restartAt;
    readValid_ = readOffset_ = 0;
    return true;
  }
  return readValid_ == readOffset_;
}

int64_t CStream::cacheRead(uint8_t* buffer, int64_t n) {
  const int64_t cap = static_cast<int64_t>(readBuf_.size());
  int64_t at = position_;
  int64_t given = 0;
  while (given < n) {
    if (!inCache(at) && !writeBackCache(0, at)) break;
    const int64_t held = cacheBase_ + readValid_ - at;
    if (held > 0) {
      const int64_t take = std::min(held, n - given);
      std::memcpy(buffer + given, readBuf_.data() + (at - cacheBase_), static_cast<size_t>(take));
      at += take;
      given += take;
      continue;
    }
    if (readValid_ < cap) {
      rawSeek(cacheBase_ + readValid_);
      const int64_t got = std::clamp<int64_t>(rawRead(readBuf_.data() + readValid_, cap - readValid_), 0, cap - readValid_);
      readValid_ += got;
      if (got == 0) break;
      continue;
    }
    if (!writeBackCache(0, at)) break;
    const int64_t rest = n - given;
    if (rest >= cap) {
      rawSeek(at);
      const int64_t got = std::clamp<int64_t>(rawRead(buffer + given, rest), 0, rest);
      given += got;
      cacheBase_ = at + got;
      break;
    }
  }
  return given;
}

int64_t CStream::cacheWrite(const uint8_t* buffer, int64_t n) {
  const int64_t cap = static_cast<int64_t>(readBuf_.size());
  int64_t at = position_;
  int64_t given = 0;
  while (given < n) {
    if (!inCache(at) && !writeBackCache(0, at)) break;
    const int64_t off = at - cacheBase_;
    if (off == cap) {
      if (!writeBackCache(0, at)) break;
      continue;
    }
    const int64_t take = std::min(cap - off, n - given);
    std::memcpy(readBuf_.data() + off, buffer + given, static_cast<size_t>(take));
    dirty_ = true;
    readValid_ = std::max(readValid_, off + take);
    at += take;
    given += take;
  }
  return given;
}

int64_t CStream::setReadBuffer(int64_t capacity) {
  // A held or unwritten byte must not be lost.
  if (capacity < 0) return 0;
  if (flags_ & kRandomAccess) {
    if (!writeBackCache(1, position_)) return 0;
  } else if (buffered() > 0) {
    return 0;
  }
  readBuf_.assign(static_cast<size_t>(capacity), 0);
  readBuf_.shrink_to_fit();
  readValid_ = readOffset_ = 0;
  cacheBase_ = position_;
  return 1;
}

int64_t CStream::readBuffered(uint8_t* buffer, int64_t n) {
  const int64_t cap = static_cast<int64_t>(readBuf_.size());
  int64_t given = std::min(buffered(), n);
  std::memcpy(buffer, readBuf_.data() + readOffset_, static_cast<size_t>(given));
  readOffset_ += given;
  if (given < n && readValid_ < cap) {
    readValid_ += std::clamp<int64_t>(rawRead(readBuf_.data() + readValid_, cap - readValid_), 0, cap - readValid_);
    const int64_t more = std::min(buffered(), n - given);
    std::memcpy(buffer + given, readBuf_.data() + readOffset_, static_cast<size_t>(more));
    readOffset_ += more;
    given += more;
  }
  if (given < n) {
    readValid_ = readOffset_ = 0;
    const int64_t rest = n - given;
    if (rest < cap) {
      readValid_ = std::clamp<int64_t>(rawRead(readBuf_.data(), cap), 0, cap);
      const int64_t more = std::min(readValid_, rest);
      std::memcpy(buffer + given, readBuf_.data(), static_cast<size_t>(more));
      readOffset_ = more;
      given += more;
    } else {
      given += std::clamp<int64_t>(rawRead(buffer + given, rest), 0, rest);
    }
  }
  return given;
}

int64_t CStream::peekBuffered(uint8_t* buffer, int64_t n) {
  const int64_t cap = static_cast<int64_t>(readBuf_.size());
  if (buffered() < n) {
    const int64_t held = buffered();
    std::memmove(readBuf_.data(), readBuf_.data() + readOffset_, static_cast<size_t>(held));
    readOffset_ = 0;
    readValid_ = held;
    readValid_ += std::clamp<int64_t>(rawRead(readBuf_.data() + held, cap - held), 0, cap - held);
  }
  const int64_t k = std::min(buffered(), n);
  std::memcpy(buffer, readBuf_.data() + readOffset_, static_cast<size_t>(k));
  return k;
}

int64_t CStream::readRaw(uint8_t* buffer, int64_t n) {
  int64_t got = readBuf_.empty()               ? rawRead(buffer, n)
                : (flags_ & kRandomAccess) ? cacheRead(buffer, n)
                                           : readBuffered(buffer, n);
  got = std::clamp<int64_t>(got, 0, n);
  fillShort(buffer, got, n);
  position_ += got;
  return got;
}

int64_t CStream::read(void* buffer, int64_t n) {
  if (chained_) return chained_->read(buffer, n);
  if (!(flags_ & kReadable) || n <= 0) return 0;
  if (buffer == nullptr) {
    uint8_t chunk[kSkipChunk];
    int64_t total = 0;
    while (total < n) {
      const int64_t want = std::min(kSkipChunk, n - total);
      const int64_t got = read(chunk, want);
      total += got;
      if (got < want) break;
    }
    return total;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  const int64_t got = readRaw(out, n);
  if (tee_ != nullptr && got > 0) tee_->write(out, got);
  return got;
}

int64_t CStream::peek(void* buffer, int64_t n) {
  if (chained_) return chained_->peek(buffer, n);
  if (!(flags_ & kReadable) || n <= 0 || buffer == nullptr) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  if (flags_ & kRandomAccess) {
    const int64_t got = readRaw(out, n);
    if (got > 0) position_ = readBuf_.empty() ? rawSeek(position_ - got) : position_ - got;
    return got;
  }
  int64_t got = std::clamp<int64_t>(readBuf_.empty() ? rawPeek(out, n) : peekBuffered(out, n), 0, n);
  fillShort(out, got, n);
  return got;
}

int64_t CStream::setWriteBuffer(int64_t capacity) {
  if (capacity < 0) return 0;
  if (!flushWriteBuffer(0)) return 0;
  writeBuf_.assign(static_cast<size_t>(capacity), 0);
  writeBuf_.shrink_to_fit();
  writePending_ = 0;
  return 1;
}

bool CStream::flushWriteBuffer(int mode) {
  if (writePending_ == 0) return true;
  const int64_t put = std::clamp<int64_t>(rawWrite(writeBuf_.data(), writePending_), 0, writePending_);
  if (put < writePending_) {
    writeError_ = true;
    if (mode == 0) {
      std::memmove(writeBuf_.data(), writeBuf_.data() + put, static_cast<size_t>(writePending_ - put));
      writePending_ -= put;
      return false;
    }
    writePending_ = 0;
    return mode == 2;
  }
  writePending_ = 0;
  return true;
}

int64_t CStream::writeBuffered(const uint8_t* buffer, int64_t n) {
  const int64_t cap = static_cast<int64_t>(writeBuf_.size());
  int64_t given = 0;
  while (given < n) {
    const int64_t rest = n - given;
    if (writePending_ == 0 && rest >= cap) {
      const int64_t put = std::clamp<int64_t>(rawWrite(buffer + given, rest), 0, rest);
      given += put;
      break;
    }
    const int64_t take = std::min(cap - writePending_, rest);
    std::memcpy(writeBuf_.data() + writePending_, buffer + given, static_cast<size_t>(take));
    writePending_ += take;
    given += take;
    if (writePending_ == cap && !flushWriteBuffer(0)) break;
  }
  return given;
}

int64_t CStream::write(const void* buffer, int64_t n) {
  if (chained_) return chained_->write(buffer, n);
  if (!(flags_ & kWritable) || n <= 0 || buffer == nullptr) return 0;
  if ((flags_ & kRandomAccess) && !readBuf_.empty()) {
    const int64_t given = cacheWrite(static_cast<const uint8_t*>(buffer), n);
    if (given < n) writeError_ = true;
    position_ += given;
    size_ = std::max(size_, position_);
    return given;
  }
  if (!writeBuf_.empty() && !(flags_ & kRandomAccess)) {
    const int64_t given = writeBuffered(static_cast<const uint8_t*>(buffer), n);
    if (given < n) writeError_ = true;
    writePosition_ += given;
    return given;
  }
  const int64_t put = std::clamp<int64_t>(rawWrite(static_cast<const uint8_t*>(buffer), n), 0, n);
  if (put < n) writeError_ = true;
  if (flags_ & kRandomAccess) {
    position_ += put;
    size_ = std::max(size_, position_);
  } else {
    writePosition_ += put;
  }
  return put;
}

int64_t CStream::seek(int64_t position) {
  if (chained_) return chained_->seek(position);
  if (!(flags_ & kRandomAccess)) return position_;
  int64_t target = std::max<int64_t>(position, 0);
  if (!readBuf_.empty() && inCache(target)) {
    position_ = target;  // inside the cached bytes: no device seek
  } else {
    if (!readBuf_.empty()) writeBackCache(1, position_);
    target = std::min(target, size_);
    position_ = rawSeek(target);
    if (!readBuf_.empty()) cacheBase_ = position_;
  }
  if (tee_ != nullptr) tee_->seek(position_);
  return position_;
}

int CStream::readByte() {
  if (chained_) return chained_->readByte();
  uint8_t b = 0;
  return read(&b, 1) == 1 ? b : -1;
}

int CStream::peekByte() {
  if (chained_) return chained_->peekByte();
  uint8_t b = 0;
  return peek(&b, 1) == 1 ? b : -1;
}

bool CStream::writeByte(uint8_t b) {
  if (chained_) return chained_->writeByte(b);
  return write(&b, 1) == 1;
}

bool CStream::readString(char* out, int64_t capacity, char delim) {
  if (chained_) return chained_->readString(out, capacity, delim);
  int64_t used = 0;
  bool overflow = false;
  for (;;) {
    const int c = readByte();
    if (c < 0) {
      if (out != nullptr && capacity > 0) out[std::min(used, capacity - 1)] = '\0';
      return false;
    }
    if (c == 0 || c == static_cast<uint8_t>(delim)) break;
    if (out != nullptr && used + 1 < capacity) {
      out[used++] = static_cast<char>(c);
    } else {
      overflow = true;
    }
  }
  if (out != nullptr && capacity > 0) out[used] = '\0';
  return !overflow;
}

bool CStream::writeString(const char* s, bool withNul) {
  if (chained_) return chained_->writeString(s, withNul);
  if (s == nullptr) return false;
  const int64_t n = static_cast<int64_t>(std::strlen(s)) + (withNul ? 1 : 0);
  return writeAll(s, n);
}

namespace {
uint64_t assemble(const uint8_t* b, int bytes, ByteOrder order) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) {
    const int k = order == ByteOrder::Big ? i : bytes - 1 - i;
    v = (v << 8) | b[k];
  }
  return v;
}
}  // namespace

uint64_t CStream::readUnsigned(int bytes, ByteOrder order) {
  if (chained_) return chained_->readUnsigned(bytes, order);
  bytes = std::clamp(bytes, 0, 8);
  uint8_t b[8] = {};
  const int fill = fillByte_;
  fillByte_ = 0;  // missing bytes read as 0, whatever the caller's fill byte
  read(b, bytes);
  fillByte_ = fill;
  return assemble(b, bytes, order);
}

uint64_t CStream::peekUnsigned(int bytes, ByteOrder order) {
  if (chained_) return chained_->peekUnsigned(bytes, order);
  bytes = std::clamp(bytes, 0, 8);
  uint8_t b[8] = {};
  const int fill = fillByte_;
  fillByte_ = 0;
  peek(b, bytes);
  fillByte_ = fill;
  return assemble(b, bytes, order);
}

bool CStream::writeUnsigned(uint64_t v, int bytes, ByteOrder order) {
  if (chained_) return chained_->writeUnsigned(v, bytes, order);
  bytes = std::clamp(bytes, 0, 8);
  uint8_t b[8] = {};
  for (int i = 0; i < bytes; ++i) {
    const int k = order == ByteOrder::Big ? bytes - 1 - i : i;
    b[k] = static_cast<uint8_t>(v >> (8 * i));
  }
  return writeAll(b, bytes);
}

int CStream::readBit() {
  if (chained_) return chained_->readBit();
  if (flags_ & kRandomAccess) {
    // The partly consumed byte stays under the position.
    const int c = readByte();
    bitReadByte_ = c < 0 ? 0 : static_cast<uint8_t>(c);
    if (c < 0) return 0;
  } else if (bitReadOffset_ == 0) {
    const int c = readByte();
    bitReadByte_ = c < 0 ? 0 : static_cast<uint8_t>(c);
  }
  const int shift = bitReadOrder_ ? 7 - bitReadOffset_ : bitReadOffset_;
  const int bit = (bitReadByte_ >> shift) & 1;
  bitReadOffset_ = (bitReadOffset_ + 1) & 7;
  if ((flags_ & kRandomAccess) && bitReadOffset_ != 0) seek(position_ - 1);
  return bit;
}

uint32_t CStream::readBits(int n) {
  if (chained_) return chained_->readBits(n);
  n = std::clamp(n, 0, kMaxBits);
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    const uint32_t bit = static_cast<uint32_t>(readBit());
    v = bitReadOrder_ ? (v << 1) | bit : v | (bit << i);
  }
  return v;
}

uint32_t CStream::peekBits(int n) {
  if (chained_) return chained_->peekBits(n);
  n = std::clamp(n, 0, kMaxBits);
  if (n == 0) return 0;
  // Bytes holding the next n bits: the partial byte first when one is held.
  uint8_t bytes[5] = {};
  int have = 0;
  const int need = (bitReadOffset_ + n + 7) / 8;
  if (!(flags_ & kRandomAccess) && bitReadOffset_ != 0) {
    bytes[have++] = bitReadByte_;
    const int fill = fillByte_;
    fillByte_ = 0;
    peek(bytes + have, need - have);
    fillByte_ = fill;
  } else {
    const int fill = fillByte_;
    fillByte_ = 0;
    peek(bytes, need);
    fillByte_ = fill;
  }
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    const int at = bitReadOffset_ + i;
    const int shift = bitReadOrder_ ? 7 - (at & 7) : (at & 7);
    const uint32_t bit = (bytes[at >> 3] >> shift) & 1u;
    v = bitReadOrder_ ? (v << 1) | bit : v | (bit << i);
  }
  return v;
}

void CStream::skipBits(int n) {
  if (chained_) {
    chained_->skipBits(n);
    return;
  }
  while (n > 0) {
    const int step = std::min(n, kMaxBits);
    readBits(step);
    n -= step;
  }
}

void CStream::alignBits() {
  if (chained_) {
    chained_->alignBits();
    return;
  }
  if (bitReadOffset_ == 0) return;
  if (flags_ & kRandomAccess) seek(position_ + 1);
  bitReadOffset_ = 0;
}

bool CStream::writeBit(int bit) {
  if (chained_) return chained_->writeBit(bit);
  const int shift = bitWriteOrder_ ? 7 - bitWritePending_ : bitWritePending_;
  if (bit) bitWriteAcc_ = static_cast<uint8_t>(bitWriteAcc_ | (1u << shift));
  if (++bitWritePending_ < 8) return true;
  const uint8_t b = bitWriteAcc_;
  bitWritePending_ = 0;
  bitWriteAcc_ = 0;
  return writeByte(b);
}

bool CStream::writeBits(uint32_t v, int n) {
  if (chained_) return chained_->writeBits(v, n);
  n = std::clamp(n, 0, kMaxBits);
  bool ok = true;
  for (int i = 0; i < n; ++i) {
    const int bit = bitWriteOrder_ ? (v >> (n - 1 - i)) & 1 : (v >> i) & 1;
    ok = writeBit(bit) && ok;
  }
  return ok;
}

bool CStream::flushBits() {
  if (chained_) return chained_->flushBits();
  if (bitWritePending_ == 0) return true;
  bool ok = true;
  const int pad = padOnes_ ? 1 : 0;
  while (bitWritePending_ != 0) ok = writeBit(pad) && ok;
  return ok;
}

}  // namespace audio

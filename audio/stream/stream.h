// Byte stream base of the audio chain: concrete streams supply seven raw slots, every
// public operation (typed integers, bits, strings, flags) is built once here on top of them.
#pragma once

#include <cstdint>
#include <vector>

namespace audio {

enum class ByteOrder { Little, Big };

class CStream {
 public:
  enum Flag : uint32_t {
    kOpen = 1u << 0,
    kReadable = 1u << 1,
    kWritable = 1u << 2,
    kRandomAccess = 1u << 3,
    kExtendable = 1u << 4,
  };

  CStream() = default;
  CStream(const CStream&) = delete;
  CStream& operator=(const CStream&) = delete;
  virtual ~CStream();

  int close();
  int64_t read(void* buffer, int64_t n);
  int64_t peek(void* buffer, int64_t n);
  int64_t write(const void* buffer, int64_t n);
  int64_t seek(int64_t position);
  int64_t skip(int64_t delta) { return chained_ ? chained_->skip(delta) : seek(position_ + delta); }
  int64_t seekFromEnd(int64_t delta) { return chained_ ? chained_->seekFromEnd(delta) : seek(size_ + delta); }
  uint32_t flags() const { return chained_ ? chained_->flags() : flags_; }
  // Forwards every operation to `other` until closed; -1 leaves a preset as it is.
  void chain(CStream* other, bool owns, int64_t position = -1, int64_t writePosition = -1,
             int64_t size = -1, uint32_t clearFlags = 0);
  int64_t control(int code, void* arg, int64_t v);

  // One byte: -1 when none is there.
  int readByte();
  int peekByte();
  bool writeByte(uint8_t b);
  bool readAll(void* buffer, int64_t n) { return n >= 0 && read(buffer, n) == n; }
  bool writeAll(const void* buffer, int64_t n) { return n >= 0 && write(buffer, n) == n; }

  // Reads up to `delim` or NUL into `out` (always terminated when capacity > 0). False on
  // overflow (the rest up to the terminator is consumed) or when the input ran short.
  bool readString(char* out, int64_t capacity, char delim = '\0');
  bool writeString(const char* s, bool withNul);

  // Typed integers; bytes missing at the end read as 0.
  uint64_t readUnsigned(int bytes, ByteOrder order);
  uint64_t peekUnsigned(int bytes, ByteOrder order);
  bool writeUnsigned(uint64_t v, int bytes, ByteOrder order);
  uint8_t readU8() { return static_cast<uint8_t>(readUnsigned(1, ByteOrder::Little)); }
  int8_t readS8() { return static_cast<int8_t>(readU8()); }
  uint16_t readU16(ByteOrder o) { return static_cast<uint16_t>(readUnsigned(2, o)); }
  int16_t readS16(ByteOrder o) { return static_cast<int16_t>(readU16(o)); }
  uint32_t readU32(ByteOrder o) { return static_cast<uint32_t>(readUnsigned(4, o)); }
  int32_t readS32(ByteOrder o) { return static_cast<int32_t>(readU32(o)); }
  uint64_t readU64(ByteOrder o) { return readUnsigned(8, o); }
  int64_t readS64(ByteOrder o) { return static_cast<int64_t>(readU64(o)); }
  uint8_t peekU8() { return static_cast<uint8_t>(peekUnsigned(1, ByteOrder::Little)); }
  uint16_t peekU16(ByteOrder o) { return static_cast<uint16_t>(peekUnsigned(2, o)); }
  int16_t peekS16(ByteOrder o) { return static_cast<int16_t>(peekU16(o)); }
  uint32_t peekU32(ByteOrder o) { return static_cast<uint32_t>(peekUnsigned(4, o)); }
  int32_t peekS32(ByteOrder o) { return static_cast<int32_t>(peekU32(o)); }
  uint64_t peekU64(ByteOrder o) { return peekUnsigned(8, o); }
  bool writeU8(uint8_t v) { return writeUnsigned(v, 1, ByteOrder::Little); }
  bool writeU16(uint16_t v, ByteOrder o) { return writeUnsigned(v, 2, o); }
  bool writeU32(uint32_t v, ByteOrder o) { return writeUnsigned(v, 4, o); }
  bool writeU64(uint64_t v, ByteOrder o) { return writeUnsigned(v, 8, o); }

  // Bits; counts up to 25.
  int readBit();
  uint32_t readBits(int n);
  int peekBit() { return static_cast<int>(peekBits(1)); }
  uint32_t peekBits(int n);
  void skipBits(int n);
  void alignBits();
  bool writeBit(int bit);
  bool writeBits(uint32_t v, int n);
  bool flushBits();
  int readBitOffset() const { return chained_ ? chained_->readBitOffset() : bitReadOffset_; }
  int writeBitOffset() const { return chained_ ? chained_->writeBitOffset() : bitWritePending_; }

  int64_t position() const { return chained_ ? chained_->position() : position_; }
  int64_t size() const { return chained_ ? chained_->size() : size_; }

 protected:
  // The raw slots; the destructor is the seventh.
  virtual int rawClose();
  virtual int64_t rawRead(uint8_t* buffer, int64_t n);
  virtual int64_t rawPeek(uint8_t* buffer, int64_t n);
  virtual int64_t rawWrite(const uint8_t* buffer, int64_t n);
  virtual int64_t rawSeek(int64_t position);
  virtual int64_t rawControl(int code, void* arg, int64_t v);

  uint32_t flags_ = 0;
  int64_t position_ = 0;
  int64_t writePosition_ = 0;
  int64_t size_ = 0;

 private:
  int64_t readRaw(uint8_t* buffer, int64_t n);
  int64_t readBuffered(uint8_t* buffer, int64_t n);
  int64_t peekBuffered(uint8_t* buffer, int64_t n);
  int64_t setReadBuffer(int64_t capacity);
  int64_t setWriteBuffer(int64_t capacity);
  int64_t writeBuffered(const uint8_t* buffer, int64_t n);
  // 0 keeps unwritten bytes, 1 drops them as failed, 2 drops them; true when emptied.
  bool flushWriteBuffer(int mode);
  int64_t buffered() const;
  // Random access: the read buffer caches the bytes at cacheBase_ and takes writes.
  bool inCache(int64_t at) const { return at >= cacheBase_ && at <= cacheBase_ + readValid_; }
  bool writeBackCache(int mode, int64_t restartAt);
  int64_t cacheRead(uint8_t* buffer, int64_t n);
  int64_t cacheWrite(const uint8_t* buffer, int64_t n);
  void fillShort(uint8_t* buffer, int64_t got, int64_t n);

  int bitReadOrder_ = 0;
  int bitReadOffset_ = 0;
  uint8_t bitReadByte_ = 0;
  int bitWriteOrder_ = 0;
  int bitWritePending_ = 0;
  uint8_t bitWriteAcc_ = 0;
  bool padOnes_ = false;
  int fillByte_ = -1;
  bool shortRead_ = false;
  bool writeError_ = false;
  CStream* tee_ = nullptr;
  CStream* chained_ = nullptr;
  bool ownsChained_ = false;
  // Read buffer of sequential streams.
  std::vector<uint8_t> readBuf_;
  int64_t readValid_ = 0;
  int64_t readOffset_ = 0;
  int64_t cacheBase_ = 0;
  bool dirty_ = false;
  // Write buffer of sequential streams.
  std::vector<uint8_t> writeBuf_;
  int64_t writePending_ = 0;
};

}  // namespace audio

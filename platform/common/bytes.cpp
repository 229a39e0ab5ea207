// Bounds-checked little-endian record reading and writing.
#include "plat/bytes.h"

#include <cstdint>
#include <limits>

namespace plat {

namespace {
std::string describe(const std::string& field, size_t offset, size_t wanted, size_t available) {
  return "malformed input: field \"" + field + "\" at offset " + std::to_string(offset) + " wants " +
         std::to_string(wanted) + " bytes, " + std::to_string(available) + " available";
}
}  // namespace

MalformedInput::MalformedInput(std::string field, size_t offset, size_t wanted, size_t available)
    : std::runtime_error(describe(field, offset, wanted, available)),
      field_(std::move(field)),
      offset_(offset),
      wanted_(wanted),
      available_(available) {}

ByteReader::ByteReader(std::span<const uint8_t> data, size_t baseOffset) : data_(data), base_(baseOffset) {}

ByteReader::ByteReader(const void* data, size_t size, size_t baseOffset)
    : data_(static_cast<const uint8_t*>(data), size), base_(baseOffset) {}

void ByteReader::need(size_t n, const char* field) const {
  if (n > remaining()) throw MalformedInput(field ? field : "?", offset(), n, remaining());
}

uint8_t ByteReader::u8(const char* field) {
  need(1, field);
  return data_[pos_++];
}

uint16_t ByteReader::u16(const char* field) {
  need(2, field);
  uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
  pos_ += 2;
  return v;
}

uint32_t ByteReader::u32(const char* field) {
  need(4, field);
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | data_[pos_ + i];
  pos_ += 4;
  return v;
}

uint64_t ByteReader::u64(const char* field) {
  need(8, field);
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | data_[pos_ + i];
  pos_ += 8;
  return v;
}

float ByteReader::f32(const char* field) {
  uint32_t bits = u32(field);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::span<const uint8_t> ByteReader::bytes(size_t n, const char* field) {
  need(n, field);
  auto s = data_.subspan(pos_, n);
  pos_ += n;
  return s;
}

void ByteReader::copy(void* dst, size_t n, const char* field) {
  auto s = bytes(n, field);
  if (n) std::memcpy(dst, s.data(), n);
}

std::string ByteReader::fixedString(size_t n, const char* field) {
  auto s = bytes(n, field);
  size_t len = 0;
  while (len < n && s[len] != 0) ++len;
  return std::string(reinterpret_cast<const char*>(s.data()), len);
}

void ByteReader::skip(size_t n, const char* field) {
  need(n, field);
  pos_ += n;
}

ByteReader ByteReader::sub(size_t n, const char* field) {
  size_t at = offset();
  return ByteReader(bytes(n, field), at);
}

ByteReader ByteReader::records(uint64_t count, uint64_t size, const char* field) {
  // count * size may overflow 64 bits or size_t: both are short reads, never a wrapped length.
  if (size != 0 && count > std::numeric_limits<uint64_t>::max() / size)
    throw MalformedInput(field, offset(), std::numeric_limits<size_t>::max(), remaining());
  uint64_t total = count * size;
  if (total > remaining())
    throw MalformedInput(field, offset(),
                         total > std::numeric_limits<size_t>::max() ? std::numeric_limits<size_t>::max()
                                                                    : static_cast<size_t>(total),
                         remaining());
  return sub(static_cast<size_t>(total), field);
}

void ByteReader::seek(size_t pos, const char* field) {
  if (pos > data_.size()) throw MalformedInput(field, offset(), pos, data_.size());  // wanted: the target position
  pos_ = pos;
}

void ByteWriter::u16(uint16_t v) {
  u8(static_cast<uint8_t>(v));
  u8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
  for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::u64(uint64_t v) {
  for (int i = 0; i < 8; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::f32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  u32(bits);
}

void ByteWriter::bytes(const void* p, size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  if (n) buf_.insert(buf_.end(), b, b + n);
}

void ByteWriter::fixedString(std::string_view s, size_t n) {
  size_t len = s.size() < n ? s.size() : n;
  bytes(s.data(), len);
  zeros(n - len);
}

}  // namespace plat

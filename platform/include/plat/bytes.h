// Bounds-checked little-endian records. Every reader of file, pipe or network data goes
// through ByteReader; a short or malformed read throws MalformedInput.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class MalformedInput : public std::runtime_error {
 public:
  MalformedInput(std::string field, size_t offset, size_t wanted, size_t available);
  const std::string& field() const { return field_; }
  size_t offset() const { return offset_; }
  size_t wanted() const { return wanted_; }
  size_t available() const { return available_; }

 private:
  std::string field_;
  size_t offset_, wanted_, available_;
};

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data, size_t baseOffset = 0);
  ByteReader(const void* data, size_t size, size_t baseOffset = 0);

  uint8_t u8(const char* field = "u8");
  uint16_t u16(const char* field = "u16");
  uint32_t u32(const char* field = "u32");
  uint64_t u64(const char* field = "u64");
  int8_t i8(const char* field = "i8") { return static_cast<int8_t>(u8(field)); }
  int16_t i16(const char* field = "i16") { return static_cast<int16_t>(u16(field)); }
  int32_t i32(const char* field = "i32") { return static_cast<int32_t>(u32(field)); }
  int64_t i64(const char* field = "i64") { return static_cast<int64_t>(u64(field)); }
  float f32(const char* field = "f32");
  std::span<const uint8_t> bytes(size_t n, const char* field = "bytes");
  void copy(void* dst, size_t n, const char* field = "bytes");
  // Up to the first NUL within n bytes (n bytes are consumed); never needs a NUL.
  std::string fixedString(size_t n, const char* field = "string");
  void skip(size_t n, const char* field = "skip");
  ByteReader sub(size_t n, const char* field = "sub");
  // count records of size bytes, checked in 64-bit arithmetic; returns a reader over them.
  ByteReader records(uint64_t count, uint64_t size, const char* field = "records");
  void seek(size_t pos, const char* field = "seek");

  size_t remaining() const { return data_.size() - pos_; }
  size_t position() const { return pos_; }
  size_t offset() const { return base_ + pos_; }  // position counted from the outermost record
  size_t size() const { return data_.size(); }
  bool empty() const { return remaining() == 0; }
  std::span<const uint8_t> rest() const { return data_.subspan(pos_); }

 private:
  void need(size_t n, const char* field) const;
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  size_t base_ = 0;
};

class ByteWriter {
 public:
  ByteWriter() = default;
  void u8(uint8_t v) { buf_.push_back(v); }
  void u16(uint16_t v);
  void u32(uint32_t v);
  void u64(uint64_t v);
  void i8(int8_t v) { u8(static_cast<uint8_t>(v)); }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void i64(int64_t v) { u64(static_cast<uint64_t>(v)); }
  void f32(float v);
  void bytes(const void* p, size_t n);
  void zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
  // Exactly n bytes: the text cut to n (keeping no terminator when it fills n), zero-padded.
  void fixedString(std::string_view s, size_t n);
  size_t size() const { return buf_.size(); }
  const std::vector<uint8_t>& data() const { return buf_; }
  std::vector<uint8_t> take() { return std::move(buf_); }

 private:
  std::vector<uint8_t> buf_;
};

// A record layout as a field table: each field's offset and width. static_assert(checkLayout(...))
// proves the fields are contiguous and add up to the record's size.
struct FieldSpec {
  const char* name;
  size_t offset;
  size_t width;
};
template <size_t N>
constexpr bool checkLayout(const FieldSpec (&fields)[N], size_t total) {
  size_t at = 0;
  for (size_t i = 0; i < N; ++i) {
    if (fields[i].offset != at) return false;
    at += fields[i].width;
  }
  return at == total;
}

// The offset of the named field; a name not in the table does not compile where a constant is
// needed.
template <size_t N>
constexpr size_t fieldOffset(const FieldSpec (&fields)[N], std::string_view name) {
  for (const FieldSpec& f : fields)
    if (name == f.name) return f.offset;
  throw std::logic_error("no such field");
}

// One field list for both directions. A record's walk, a generic lambda
// `constexpr auto walk = [](auto& record, auto& v) {...}`, visits its fields in file order:
// v.u8, v.u16, v.i16, v.u32, v.i32 or v.f32 with a member of that type, v.i32s(p, n) for an array of n i32 as
// one field, v.bytes(p, n) for n raw bytes at p, v.zeros(n) for bytes written as zero and skipped when read. FieldReader and FieldWriter run the
// walk over a ByteReader or a ByteWriter; walkMatchesLayout proves at compile time that it steps
// through a field table.

// Each field is read under its table name, so a short read names the field.
class FieldReader {
 public:
  FieldReader(ByteReader& r, std::span<const FieldSpec> fields) : r_(r), fields_(fields) {}
  void u8(uint8_t& v) { v = r_.u8(next()); }
  void u16(uint16_t& v) { v = r_.u16(next()); }
  void i16(int16_t& v) { v = r_.i16(next()); }
  void u32(uint32_t& v) { v = r_.u32(next()); }
  void i32(int32_t& v) { v = r_.i32(next()); }
  void f32(float& v) { v = r_.f32(next()); }
  void i32s(int32_t* p, size_t n) {
    const char* name = next();
    for (size_t i = 0; i < n; ++i) p[i] = r_.i32(name);
  }
  void bytes(void* p, size_t n) { r_.copy(p, n, next()); }
  void zeros(size_t n) { r_.skip(n, next()); }

 private:
  const char* next() { return index_ < fields_.size() ? fields_[index_++].name : "field"; }
  ByteReader& r_;
  std::span<const FieldSpec> fields_;
  size_t index_ = 0;
};

class FieldWriter {
 public:
  explicit FieldWriter(ByteWriter& w) : w_(w) {}
  void u8(const uint8_t& v) { w_.u8(v); }
  void u16(const uint16_t& v) { w_.u16(v); }
  void i16(const int16_t& v) { w_.i16(v); }
  void u32(const uint32_t& v) { w_.u32(v); }
  void i32(const int32_t& v) { w_.i32(v); }
  void f32(const float& v) { w_.f32(v); }
  void i32s(const int32_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) w_.i32(p[i]);
  }
  void bytes(const void* p, size_t n) { w_.bytes(p, n); }
  void zeros(size_t n) { w_.zeros(n); }

 private:
  ByteWriter& w_;
};

// Runs a record's walk in one direction.
template <class R, class Walk>
void writeFields(ByteWriter& w, const R& record, Walk walk) {
  FieldWriter writer(w);
  walk(record, writer);
}
template <class R, class Walk>
void readFields(ByteReader& r, std::span<const FieldSpec> fields, R& record, Walk walk) {
  FieldReader reader(r, fields);
  walk(record, reader);
}

// Checks each step of a walk against the next table field: same offset, same width.
template <size_t N>
class FieldLayoutCheck {
 public:
  constexpr explicit FieldLayoutCheck(const FieldSpec (&fields)[N]) : fields_(fields) {}
  constexpr void u8(const uint8_t&) { step(1); }
  constexpr void u16(const uint16_t&) { step(2); }
  constexpr void i16(const int16_t&) { step(2); }
  constexpr void u32(const uint32_t&) { step(4); }
  constexpr void i32(const int32_t&) { step(4); }
  constexpr void f32(const float&) { step(4); }
  constexpr void i32s(const int32_t*, size_t n) { step(4 * n); }
  constexpr void bytes(const void*, size_t n) { step(n); }
  constexpr void zeros(size_t n) { step(n); }
  constexpr bool matched() const { return ok_ && index_ == N; }

 private:
  constexpr void step(size_t width) {
    ok_ = ok_ && index_ < N && fields_[index_].offset == at_ && fields_[index_].width == width;
    ++index_;
    at_ += width;
  }
  const FieldSpec (&fields_)[N];
  size_t index_ = 0;
  size_t at_ = 0;
  bool ok_ = true;
};

// For static_assert: walk (a callable taking R& and a visitor) visits exactly the table's fields,
// in order and with their widths.
template <class R, size_t N, class Walk>
constexpr bool walkMatchesLayout(const FieldSpec (&fields)[N], Walk walk) {
  R record{};
  FieldLayoutCheck<N> check(fields);
  walk(record, check);
  return check.matched();
}

}  // namespace plat

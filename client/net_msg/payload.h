// The bounded view every world-message handler reads its payload through, and the handler's
// form. Header-only, so that the handler folders can take it without linking the client.
//
// Every read is checked against the payload's length and throws plat::MalformedInput when it
// would pass the end; the dispatcher's guard logs that and drops the message. A handler reads
// everything it needs first and changes state only after all reads succeeded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plat/bytes.h"
#include "plat/cp936.h"

namespace net_msg {

class Payload {
 public:
  constexpr Payload() = default;
  // A null pointer is an empty payload whatever the length says.
  constexpr Payload(const uint8_t* data, uint32_t length) : data_(data), size_(data ? length : 0) {}

  const uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Little-endian values at a byte offset.
  uint8_t u8(size_t at) const { return reader(at).u8("u8"); }
  uint16_t u16(size_t at) const { return reader(at).u16("u16"); }
  int16_t i16(size_t at) const { return reader(at).i16("i16"); }
  uint32_t u32(size_t at) const { return reader(at).u32("u32"); }
  int32_t i32(size_t at) const { return reader(at).i32("i32"); }

  // n bytes from at, all inside the payload.
  std::span<const uint8_t> bytes(size_t at, size_t n) const { return reader(at).bytes(n, "bytes"); }

  // The text at at: up to its first NUL, at most max bytes, never past the end, and never
  // ending in half a double-byte character. at itself must lie inside the payload (or at its end).
  std::string text(size_t at, size_t max) const {
    plat::ByteReader r = reader(at);
    const size_t avail = r.remaining() < max ? r.remaining() : max;
    if (avail == 0) return {};
    std::string_view s(reinterpret_cast<const char*>(data_) + at, avail);
    const size_t nul = s.find('\0');
    if (nul != std::string_view::npos) s = s.substr(0, nul);
    // A double-byte character whose trail byte was cut off goes with it.
    return std::string(s.substr(0, plat::cp936::wholeLength(s, s.size())));
  }

  // A reader positioned at at (at most the length).
  plat::ByteReader reader(size_t at = 0) const {
    plat::ByteReader r(data_, size_);
    r.seek(at, "offset");
    return r;
  }

  // A reader over count records of size bytes from at. The count often comes from the
  // argument word, so a negative one is malformed; count x size is checked without overflow.
  plat::ByteReader records(int64_t count, uint64_t size, size_t at = 0) const {
    plat::ByteReader r = reader(at);
    if (count < 0) throw plat::MalformedInput("record count", at, 0, r.remaining());
    return r.records(static_cast<uint64_t>(count), size, "records");
  }

  // count records of a field-listed type from at, each read by its walk.
  template <class R, size_t N, class Walk>
  std::vector<R> fieldRecords(int64_t count, const plat::FieldSpec (&fields)[N], Walk walk, size_t at = 0) const {
    plat::ByteReader r = records(count, fields[N - 1].offset + fields[N - 1].width, at);
    std::vector<R> out(static_cast<size_t>(count));
    for (R& record : out) plat::readFields(r, fields, record, walk);
    return out;
  }

 private:
  const uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
};

// Every world-message handler: (message id, argument, payload). Handlers that serve several ids
// tell them apart by the id.
using Handler = void (*)(uint32_t id, int32_t arg, Payload payload);

}  // namespace net_msg

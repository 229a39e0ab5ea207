// Flags, checksums and little-endian bytes with a cursor.
#include "engine/util/util.h"

uint32_t sum_words(const uint8_t* buffer, size_t length) {
  if (!buffer) return 0;
  uint32_t sum = 0;
  for (size_t at = 0; at < length; at += 4) {
    uint32_t word = 0;
    // The original read up to 3 bytes past the length; those count as 0 here.
    for (size_t b = 0; b < 4 && at + b < length; ++b) word |= uint32_t(buffer[at + b]) << (8 * b);
    sum += word;
  }
  return sum;
}

uint8_t sum_bytes(const uint8_t* buffer, size_t length) {
  if (!buffer) return 0;
  uint8_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + buffer[i]);
  return sum;
}

int flag_op(uint32_t* flags, uint32_t bits, int op) {
  if (!flags) return 0;
  switch (op) {
    case 1: return (*flags & bits) != 0 ? 1 : 0;
    case 2:
    case 4: *flags |= bits; break;
    case 5: *flags &= ~bits; break;
    case 6:
      if (*flags & bits)
        *flags &= ~bits;
      else
        *flags |= bits;
      break;
    default: break;
  }
  return 0;
}

int flag_toggle(uint32_t* flags, uint32_t bits) { return flag_op(flags, bits, 6); }

namespace {

template <class T>
int put_le(std::span<uint8_t> buffer, T value, size_t* cursor) {
  if (!cursor || *cursor > buffer.size() || buffer.size() - *cursor < sizeof(T)) return -1;
  for (size_t b = 0; b < sizeof(T); ++b) buffer[*cursor + b] = static_cast<uint8_t>(uint64_t(value) >> (8 * b));
  *cursor += sizeof(T);
  return 0;
}

template <class T>
int get_le(std::span<const uint8_t> buffer, size_t* cursor, T* value) {
  if (!cursor || !value || *cursor > buffer.size() || buffer.size() - *cursor < sizeof(T)) return -1;
  uint64_t v = 0;
  for (size_t b = 0; b < sizeof(T); ++b) v |= uint64_t(buffer[*cursor + b]) << (8 * b);
  *value = static_cast<T>(v);
  *cursor += sizeof(T);
  return 0;
}

}  // namespace

int put_u8(std::span<uint8_t> buffer, uint8_t value, size_t* cursor) { return put_le(buffer, value, cursor); }
int put_u16(std::span<uint8_t> buffer, uint16_t value, size_t* cursor) { return put_le(buffer, value, cursor); }
int put_u32(std::span<uint8_t> buffer, uint32_t value, size_t* cursor) { return put_le(buffer, value, cursor); }
int get_u8(std::span<const uint8_t> buffer, size_t* cursor, uint8_t* value) { return get_le(buffer, cursor, value); }
int get_u16(std::span<const uint8_t> buffer, size_t* cursor, uint16_t* value) { return get_le(buffer, cursor, value); }
int get_u32(std::span<const uint8_t> buffer, size_t* cursor, uint32_t* value) { return get_le(buffer, cursor, value); }

#include <cstring>

#include "client/res/res_decode.h"
#include "client/res/res_tables.h"
#include "plat/bytes.h"

uint64_t res_field_width(uint32_t type_code) {
  const uint32_t bits = type_code / 100;
  switch (type_code % 100) {
    case 1:
    case 2:
      return bits == 8 ? 1 : bits == 16 ? 2 : bits == 64 ? 8 : 4;
    case 3:
      return bits == 64 ? 8 : 4;
    case 4:
      return bits;  // a text's "bits" part is its byte count
    default:
      return 0;
  }
}

// Integers land in a 64-bit scratch value, zero-extended, so an 8-byte field never spills and a
// narrow field never keeps bytes of the one before it. The width is checked before anything is
// consumed, so a record cut short is seen instead of leaving stale values.
int res_read_field(uint32_t type_code, plat::ByteReader& reader, RES_FIELD& scratch) {
  scratch.value = 0;
  scratch.text_length = 0;
  scratch.text[0] = 0;
  const uint64_t width = res_field_width(type_code);
  if (type_code % 100 == 4 && width > RES_TEXT_MAX) return RES_FIELD_TOO_WIDE;
  if (reader.remaining() < width) return RES_FIELD_SHORT;
  res_decode_field(type_code, width, reader.bytes(static_cast<size_t>(width), "res field").data(), scratch);
  return RES_FIELD_OK;
}

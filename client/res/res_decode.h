// Inside the res tables: one field's bytes, already bounds-checked, into the scratch field.
#pragma once
#include <cstdint>
#include <cstring>

#include "client/res/res_tables.h"

inline uint64_t res_le(const uint8_t* p, uint64_t width) {
  uint64_t v = 0;
  for (uint64_t i = 0; i < width; ++i) v |= uint64_t{p[i]} << (8 * i);
  return v;
}

// width is res_field_width(type_code), at most RES_TEXT_MAX for a text.
inline void res_decode_field(uint32_t type_code, uint64_t width, const uint8_t* p, RES_FIELD& f) {
  f.value = 0;
  f.text_length = 0;
  f.text[0] = 0;
  if (type_code % 100 == 4) {
    std::memcpy(f.text, p, width);
    f.text[width] = 0;
    f.text_length = static_cast<uint32_t>(width);
    return;
  }
  f.value = res_le(p, width);
}

// dst[i] = src[columns[i]] for a row of a nearest-pixel scaler, four pixels to one 64-bit store.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

inline void gfx16_gather_row(uint16_t* dst, const uint16_t* src, const uint16_t* columns, size_t n) {
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const uint64_t v = static_cast<uint64_t>(src[columns[i]]) | (static_cast<uint64_t>(src[columns[i + 1]]) << 16) |
                       (static_cast<uint64_t>(src[columns[i + 2]]) << 32) |
                       (static_cast<uint64_t>(src[columns[i + 3]]) << 48);
    std::memcpy(dst + i, &v, sizeof v);
  }
  for (; i < n; ++i) dst[i] = src[columns[i]];
}

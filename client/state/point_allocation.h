// A point allocation not sent yet: five little-endian i16 (the free points, then the four
// attributes), sent as they are and applied to the owner's values when the server agrees.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t POINT_ALLOCATION_SIZE = 10;
constexpr int POINT_ALLOCATION_VALUES = 5;

// Value i (0..4) of the allocation.
inline int16_t point_allocation_value(const uint8_t (&pending)[POINT_ALLOCATION_SIZE], int i) {
  return static_cast<int16_t>(pending[2 * i] | (pending[2 * i + 1] << 8));
}

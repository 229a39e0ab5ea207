// Small helpers beside the display object.
#include <cstdlib>

#include "engine/display/display.h"

int32_t mask_shift_width(uint32_t mask, uint32_t* shift, uint32_t* width) {
  if (!shift || !width) return DD_E_INVALIDARG;
  uint32_t s = 0, w = 0;
  if (mask != 0) {
    while (!((mask >> s) & 1u)) ++s;
    while (s + w < 32 && ((mask >> (s + w)) & 1u)) ++w;
  }
  *shift = s;
  *width = w;
  return DD_OK;
}

int32_t math_gcd(int32_t a, int32_t b) {
  if (a == 0 || b == 0) return 1;
  int64_t x = std::llabs(static_cast<int64_t>(a)), y = std::llabs(static_cast<int64_t>(b));
  while (y != 0) {
    const int64_t t = x % y;
    x = y;
    y = t;
  }
  // gcd(INT32_MIN, INT32_MIN) does not fit: the nearest answer that does.
  return x > INT32_MAX ? INT32_MAX : static_cast<int32_t>(x);
}

// Code page 936 conversions over arbitrary bytes: no crash, and every decoded character encodes
// back to itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plat/cp936.h"

namespace cp = plat::cp936;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view s(reinterpret_cast<const char*>(data), size);

  std::u16string u = cp::decode(s);
  std::string e = cp::encode(u);
  if (u.find(u'\uFFFD') == std::u16string::npos && cp::decode(e) != u) __builtin_trap();
  if (cp::fromUtf8(cp::toUtf8(s)) != e) __builtin_trap();

  // The same bytes read as UTF-8 (file names from the disk).
  std::string back = cp::fromUtf8(s);
  (void)cp::toUtf8(back);

  size_t prev = 0, steps = 0;
  for (size_t i = 0; i < s.size(); i = cp::next(s, i), ++steps) {
    if (i < prev || steps > s.size()) __builtin_trap();
    prev = i;
  }
  if (cp::next(s, s.size()) != s.size()) __builtin_trap();

  std::string lower = cp::asciiLower(s), upper = cp::asciiUpper(s);
  if (lower.size() != s.size() || upper.size() != s.size()) __builtin_trap();
  size_t max = size ? data[0] % (size + 1) : 0;
  size_t fit = cp::fitLength(s, max);
  if (fit > max) __builtin_trap();
  return 0;
}

#include "updater/version_number.h"

#include <cstdlib>
#include <string>

namespace updater {

namespace {

// atoi of the text: blanks, a sign, digits; wraps like the C runtime's 32-bit result.
uint32_t atoiPart(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  uint32_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10 + static_cast<uint32_t>(s[i] - '0');
  return negative ? 0u - v : v;
}

}  // namespace

uint32_t VersionNumber(std::string_view text) {
  uint32_t out = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = text.find('.');
    const std::string_view piece = text.substr(0, dot);
    out |= (atoiPart(piece) & 0xFF) << (24 - 8 * part);
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return out;
}

}  // namespace updater

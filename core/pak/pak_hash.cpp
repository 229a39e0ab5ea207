// The name hash that orders an archive's entries.
#include <string>

#include "core/pak/pak.h"
#include "plat/cp936.h"

uint32_t pak_name_hash(const char* path) {
  if (!path) path = "";
  const std::string lower = plat::cp936::asciiLower(path);
  uint32_t h = 0;
  for (size_t i = 0; i < lower.size(); ++i) {
    const uint32_t c = static_cast<uint8_t>(lower[i]);
    // The sum wraps before the modulo, the product after it.
    const uint32_t sum = static_cast<uint32_t>(i + 1) * c + h;
    h = (sum % 0x8000000Bu) * static_cast<uint32_t>(-17);
  }
  return h ^ 0x12345678u;
}

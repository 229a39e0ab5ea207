// Game path splitting over arbitrary bytes: the first byte says how many of the following bytes
// are the game folder; no part may be empty, ".", or hold a separator character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plat/cp936.h"
#include "plat/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t dirLen = data[0] % size;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string_view dir = rest.substr(0, dirLen < rest.size() ? dirLen : rest.size());
  std::string_view path = rest.substr(dir.size());

  size_t total = 0;
  for (const std::string& part : plat::splitGamePath(path, dir)) {
    if (part.empty() || part == ".") __builtin_trap();
    for (size_t i = 0; i < part.size(); i = plat::cp936::next(part, i)) {
      if (plat::cp936::next(part, i) == i + 1 && (part[i] == '\\' || part[i] == '/')) __builtin_trap();
    }
    total += part.size();
  }
  if (total > path.size()) __builtin_trap();
  return 0;
}

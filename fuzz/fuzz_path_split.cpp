// Game path splitting over arbitrary bytes: the first byte says how many of the following bytes
// are the game folder; no part may be empty, ".", or hold a separator character. Each part other
// than ".." is then converted to its name on disk, which is what the disk sees: a name the resolver
// accepts is never "", "." or ".." and holds no '/', '\' or NUL, and its listed form opens it again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plat/cp936.h"
#include "plat/files.h"

namespace {

bool plainOnDisk(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\\') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

void checkConverted(const std::string& part) {
  if (part == "..") return;  // the resolver climbs, inside the game folder only
  // The conversion keeps every byte: no part becomes "", "." or ".." on disk.
  std::string raw = plat::cp936::toUtf8Name(part);
  if (raw.empty() || raw == "." || raw == "..") __builtin_trap();
  auto name = plat::diskName(part);
  if (!name) return;
  if (*name != raw || !plainOnDisk(*name)) __builtin_trap();
  // Listed back, the name is one part (after a folder, where no drive prefix is looked for) that
  // converts to the same name on disk.
  std::string listed = plat::cp936::fromUtf8Name(*name);
  auto again = plat::splitGamePath("x\\" + listed);
  if (again.size() != 2 || again[1] != listed) __builtin_trap();
  auto back = plat::diskName(listed);
  if (!back || *back != *name) __builtin_trap();
}

}  // namespace

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
    checkConverted(part);
    total += part.size();
  }
  if (total > path.size()) __builtin_trap();
  return 0;
}

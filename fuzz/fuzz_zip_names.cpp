// Archive entry names and Patch.ini values from the network: whatever the bytes, a kept name is
// relative, holds no empty, "." or ".." part and no control byte, and is its own safe form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <optional>

#include "plat/files.h"
#include "updater/extract_zip.h"
#include "updater/safe_path.h"

namespace {

void check(const std::optional<std::string>& safe) {
  if (!safe) return;
  if (safe->empty() || (*safe)[0] == '/') std::abort();
  for (char c : *safe)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
  for (const std::string& part : plat::splitGamePath(*safe))
    if (part == ".." || part == "." || part.empty()) std::abort();
  if (updater::SafeRelativePath(*safe) != safe) std::abort();  // a backslash left is a trail byte
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  check(updater::SafeRelativePath(text));
  check(updater::SafeEntryName(text, text.size(), (data[0] & 1) != 0));
  return 0;
}

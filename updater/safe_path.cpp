#include "updater/safe_path.h"

#include <vector>

#include "plat/files.h"

namespace updater {

std::optional<std::string> SafeRelativePath(std::string_view cp936) {
  if (cp936.empty() || cp936[0] == '/' || cp936[0] == '\\') return std::nullopt;
  if (cp936.size() >= 2 && cp936[1] == ':') return std::nullopt;  // a drive, or a stream name
  for (char c : cp936)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  std::vector<std::string> kept;
  for (std::string& part : plat::splitGamePath(cp936)) {
    if (part == "..") {
      if (kept.empty()) return std::nullopt;
      kept.pop_back();
      continue;
    }
    if (!plat::diskName(part)) return std::nullopt;
    kept.push_back(std::move(part));
  }
  if (kept.empty()) return std::nullopt;
  std::string out = kept[0];
  for (size_t i = 1; i < kept.size(); ++i) out += "/" + kept[i];
  // Dropped "." and ".." parts can bring a drive or stream form to the front ("./c:x").
  if (out.size() >= 2 && out[1] == ':') return std::nullopt;
  return out;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/' && out.back() != '\\') out += '/';
  out += name;
  return out;
}

}  // namespace updater

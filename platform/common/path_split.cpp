// The resolver's pure part: game path text to its parts.
#include "plat/cp936.h"
#include "plat/files.h"

namespace plat {

namespace {

inline bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Parts of p, walking whole characters so that a trail byte 0x5C never splits; empty and "."
// parts are dropped.
std::vector<std::string> parts(std::string_view p) {
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 0; i < p.size();) {
    size_t e = cp936::next(p, i);
    if (e == i + 1 && isSeparator(p[i])) {
      if (!cur.empty() && cur != ".") out.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.append(p.substr(i, e - i));
    }
    i = e;
  }
  if (!cur.empty() && cur != ".") out.push_back(std::move(cur));
  return out;
}

}  // namespace

std::vector<std::string> splitGamePath(std::string_view gamePath, std::string_view gameDirCp936) {
  std::string_view p = gamePath;
  // "X:" names a Windows drive; everything lands inside the game folder.
  if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
    p.remove_prefix(2);
  std::vector<std::string> out = parts(p);
  // The game folder's own absolute path (formatted into paths by the SYSTEM module) is dropped.
  if (!gameDirCp936.empty() && !p.empty() && isSeparator(p[0])) {
    std::vector<std::string> root = parts(gameDirCp936);
    if (!root.empty() && root.size() <= out.size()) {
      bool match = true;
      for (size_t i = 0; i < root.size() && match; ++i) match = root[i] == out[i];
      if (match) out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(root.size()));
    }
  }
  return out;
}

std::optional<std::string> diskName(std::string_view partCp936) {
  // '\' reaches a name only through an unmapped pair; listed back, it would split.
  constexpr std::string_view kNeverInName("/\\\0", 3);
  std::string name = cp936::toUtf8Name(partCp936);
  if (name.empty() || name == "." || name == ".." || name.find_first_of(kNeverInName) != std::string::npos)
    return std::nullopt;
  return name;
}

}  // namespace plat

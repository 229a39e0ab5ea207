// Folders and files inside the game folder, through the path resolver.
#include <string>
#include <vector>

#include "engine/util/util.h"
#include "engine/util/util_text.h"
#include "plat/cp936.h"
#include "plat/platform.h"

namespace {

std::vector<size_t> separators(std::string_view path) {
  std::vector<size_t> at;
  for (size_t i = 0; i < path.size(); i = plat::cp936::next(path, i))
    if (util_detail::is_separator(path[i])) at.push_back(i);
  return at;
}

}  // namespace

int util_file_exists(const char* path) {
  if (!path || !*path) return 0;
  return plat::get().files().open(path, "rb") ? 1 : 0;
}

int dir_create_path(const char* path) {
  if (!path || !*path) return -2;
  const std::string_view p(path);
  plat::IFileSystem& files = plat::get().files();
  for (size_t at : separators(p))
    if (at > 0) files.mkdir(p.substr(0, at));
  return files.mkdir(p) ? 0 : -2;
}

int dir_remove_path(const char* path) {
  if (!path || !*path) return -2;
  const std::string_view p(path);
  plat::IFileSystem& files = plat::get().files();
  bool last = files.rmdir(p);
  const std::vector<size_t> at = separators(p);
  for (auto it = at.rbegin(); it != at.rend(); ++it) {
    if (*it == 0) continue;
    last = files.rmdir(p.substr(0, *it));
  }
  return last ? 0 : -2;
}

int path_is_dir(const char* path) {
  if (!path) return 0;
  // Every drive is the game folder's root: drop "X:" and ask the resolver about the rest.
  const std::string full = path_normalise(path);
  std::string_view rest = std::string_view(full).substr(2);
  while (!rest.empty() && rest[0] == '\\') rest.remove_prefix(1);
  if (rest.empty()) return 1;
  return plat::get().files().isDir(rest) ? 1 : 0;
}

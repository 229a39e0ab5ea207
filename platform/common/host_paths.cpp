// The running program's path and the default game folder.
#include "common/host_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/common.h"

namespace plat::common {

std::string executablePath() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string executableDir() {
  std::string exe = executablePath();
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string defaultGameDir() {
  const char* env = std::getenv("VELDRA_GAME_DIR");
  std::filesystem::path dir = env && *env ? std::filesystem::path(env) : std::filesystem::path(executableDir());
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(dir, ec);
  if (ec) abs = dir;
  std::string s = abs.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace plat::common

// The running program's path, the game folder and the registry file.
#include "common/host_paths.h"

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

std::string resolveGameDir(const std::string& given) {
  std::string chosen = given;
  if (chosen.empty()) chosen = environment().gameDir;
  if (chosen.empty()) chosen = executableDir();
  const std::filesystem::path dir(chosen);
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(dir, ec);
  if (ec) abs = dir;
  std::string s = abs.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string registryPath(const std::string& gameDir) {
  const std::string& file = environment().registryFile;
  return file.empty() ? gameDir + "/registry.ini" : file;
}

}  // namespace plat::common

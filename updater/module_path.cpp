#include "updater/module_path.h"

#include "plat/platform.h"

namespace updater {

std::string ModulePath(std::string_view name) {
  std::string path = plat::get().files().gameDir();
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace updater

#include "updater/patch_ini.h"

#include "plat/profile.h"

namespace updater {

namespace {

constexpr size_t PATCH_KEYS_BUFFER = 102400;
constexpr size_t PATCH_VALUE_BUFFER = 1024;

}  // namespace

std::vector<std::string> ReadPatchIniValues(const std::string& path, const char* section) {
  std::vector<std::string> values;
  for (const std::string& key : plat::profile::getKeyNames(path, section, PATCH_KEYS_BUFFER))
    values.push_back(plat::profile::getString(path, section, key, "", PATCH_VALUE_BUFFER));
  return values;
}

}  // namespace updater

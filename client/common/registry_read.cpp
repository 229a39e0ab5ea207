#include <cstring>

#include "client/common/registry_read.h"
#include "plat/platform.h"

int registry_read_default(plat::Hive root, const char* subkey, char* out) {
  out[0] = 0;
  if (!subkey) return REGISTRY_NOT_FOUND;
  auto value = plat::get().registry().readString(root, subkey, "");
  if (!value) return REGISTRY_NOT_FOUND;
  // The value and its NUL must fit in the 260 bytes, as with a sized registry query.
  if (value->size() >= REGISTRY_VALUE_SIZE) return REGISTRY_MORE_DATA;
  std::memcpy(out, value->data(), value->size());
  out[value->size()] = 0;
  return 0;
}

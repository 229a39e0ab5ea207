#include "core/file/file_checks.h"
#include "plat/platform.h"
#include "core/log/log.h"

// The resolver refuses folders for reading, so only regular files count.
int file_exists(const char* path) {
  if (!path || !*path) return -2;
  auto f = plat::get().files().open(path, "rb");
  return f ? 0 : -2;
}

int64_t file_length(const char* path) {
  if (!path || !*path) return -1;
  auto f = plat::get().files().open(path, "rb");
  if (!f) {
    sys_log_printf(1, "Unable to launch %s file", path);
    return -1;
  }
  return f->size();
}

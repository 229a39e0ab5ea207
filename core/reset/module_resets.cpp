#include "core/reset/module_resets.h"

namespace {

struct Entry {
  const char* name;
  ModuleResetFn fn;
};

// A fixed table: registration runs before main, where a growing container's own static
// initialisation may not have happened yet.
constexpr size_t MAX_RESETS = 256;
Entry g_entries[MAX_RESETS];
size_t g_count = 0;

}  // namespace

ModuleReset::ModuleReset(const char* name, ModuleResetFn fn) {
  // More modules than slots is a build fault: fail loudly at start rather than skip a reset.
  if (g_count >= MAX_RESETS) __builtin_trap();
  g_entries[g_count++] = Entry{name, fn};
}

void module_resets_run_all() {
  for (size_t i = 0; i < g_count; ++i) g_entries[i].fn();
}

size_t module_resets_count() { return g_count; }

const char* module_resets_name(size_t i) { return i < g_count ? g_entries[i].name : nullptr; }

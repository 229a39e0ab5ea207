#include "core/reset/module_resets.h"
#include "engine/engine_main/engine_state.h"
#include "engine/engine_main/modules.h"

namespace {

// Both tables fill from slot 0 without holes; a null entry ends a table.
struct ModuleTables {
  ModuleFreeFn free[ENGINE_MODULE_SLOTS] = {};
  ModuleNotifyFn notify[ENGINE_MODULE_SLOTS] = {};
};
ModuleTables tables;

template <typename Fn>
int filled(Fn (&table)[ENGINE_MODULE_SLOTS]) {
  int n = 0;
  while (n < ENGINE_MODULE_SLOTS && table[n]) ++n;
  return n;
}

}  // namespace

int sys_install_module(ModuleInitFn init, ModuleFreeFn free, ModuleNotifyFn notify) {
  if (tables.free[ENGINE_MODULE_SLOTS - 1]) return -1;
  // No hook is ever stored past slot 63 of either table.
  if (notify && tables.notify[ENGINE_MODULE_SLOTS - 1]) return -1;
  if (init && init() != 0) return -1;
  if (free) tables.free[filled(tables.free)] = free;
  if (notify) tables.notify[filled(tables.notify)] = notify;
  return 0;
}

void sys_module_reset() { tables = ModuleTables{}; }

void sys_module_free_all() {
  // Each slot is cleared before its hook runs, so a hook that ends in a fatal error cannot have
  // itself run again (the original cleared it afterwards and recursed).
  for (int i = filled(tables.free) - 1; i >= 0; --i) {
    const ModuleFreeFn fn = tables.free[i];
    tables.free[i] = nullptr;
    tables.notify[i] = nullptr;
    fn();
  }
}

void sys_module_notify_all(uint32_t active) {
  for (int i = 0; i < ENGINE_MODULE_SLOTS && tables.notify[i]; ++i) tables.notify[i](active);
}

void engine_free_modules() {
  EngineState& st = engine_state();
  if (st.modules_freed) return;
  // Set before the first hook: a fatal error inside a free hook must not start over.
  st.modules_freed = true;
  st.freeing = true;
  sys_module_free_all();
  st.freeing = false;
}

int sys_module_free_count() { return filled(tables.free); }
int sys_module_notify_count() { return filled(tables.notify); }

static const ModuleReset k_reset("module tables", sys_module_reset);

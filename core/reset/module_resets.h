// One list of every module's reset, so that a test (or a second start in one process) can put the
// whole client back to its start with one call. Each module registers its reset beside its state:
//
//   static const ModuleReset k_reset("SYSTEM", sys_module_reset);
//
// A module whose object file is not linked into a program has no state there to reset.
#pragma once
#include <cstddef>

using ModuleResetFn = void (*)();

// Registers at static initialisation; the name is for diagnostics only.
struct ModuleReset {
  ModuleReset(const char* name, ModuleResetFn fn);
};

// Calls every registered reset, in registration order. Safe to call at any time, any number of times.
// Registration order is the link order, which no reset may count on: one that needs another to run
// first calls it itself (engine_reset calls sys_module_reset, input_module_reset the IME's).
void module_resets_run_all();

// How many resets are registered, and the name of the i-th (nullptr past the end).
size_t module_resets_count();
const char* module_resets_name(size_t i);

// The engine module registry: each module is a triple of hooks. Init runs at install, free at
// shutdown (newest first), notify whenever the application's active state changes.
#pragma once
#include <cstdint>

using ModuleInitFn = int (*)();
using ModuleFreeFn = void (*)();
using ModuleNotifyFn = void (*)(uint32_t active);

constexpr int ENGINE_MODULE_SLOTS = 64;

// 0, or -1 when the tables are full (init not called) or init fails (nothing stored).
int sys_install_module(ModuleInitFn init, ModuleFreeFn free, ModuleNotifyFn notify);
// Empties both hook tables.
void sys_module_reset();
// Runs the free hooks newest first, clearing each slot before its hook runs.
void sys_module_free_all();
// Runs the notify hooks oldest first with the active state.
void sys_module_notify_all(uint32_t active);
// sys_module_free_all at most once per run.
void engine_free_modules();

// Filled slots of each table, for inspection.
int sys_module_free_count();
int sys_module_notify_count();

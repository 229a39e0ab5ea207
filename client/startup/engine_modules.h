// The engine modules the client installs, in their fixed order, with the fatal text of each
// failed install. Each module's row names its hooks, so a module built later swaps its row.
#pragma once
#include <cstdint>

#include "engine/engine_main/modules.h"

struct ENGINE_MODULE_ROW {
  const char* name;
  void (*prepare)();         // runs before the install (WINFONT's face and weight); may be null
  ModuleInitFn init;
  ModuleFreeFn free;
  ModuleNotifyFn notify;
  const char* fatal_text;    // null: a failed install is ignored (SOUND)
};

constexpr int ENGINE_MODULE_COUNT = 7;
enum EngineModuleIndex {
  ENGINE_MODULE_SYSTEM,
  ENGINE_MODULE_DRAW,
  ENGINE_MODULE_TIMER,
  ENGINE_MODULE_INPUT,
  ENGINE_MODULE_WINFONT,
  ENGINE_MODULE_SOUND,
  ENGINE_MODULE_WEATHER,
};

// Installed in this order; freed newest first at shutdown. Tests may replace rows.
extern ENGINE_MODULE_ROW engine_module_table[ENGINE_MODULE_COUNT];

// Installs every row; a failed install with a fatal text ends the program through
// sys_fatal_error.
void engine_modules_install();

// Tests only: the rows of the program.
void engine_module_table_reset();

// Hooks of a module whose own order has not come yet: init succeeds, free and notify do nothing,
// nothing is logged.
int standin_module_init();
void standin_module_free();
void standin_module_notify(uint32_t active);

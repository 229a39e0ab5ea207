#include "social/chat_debug/debug_flags.h"

#include "core/reset/module_resets.h"

uint8_t debug_flags[DEBUG_FLAGS] = {};

static const ModuleReset k_reset("debug flags", [] {
  for (uint8_t& f : debug_flags) f = 0;
});

#include "ui/nickname/nickname_window.h"

#include "core/reset/module_resets.h"

int32_t nickname_window_open = 0;

void nickname_window_toggle() { nickname_window_open = nickname_window_open ? 0 : 1; }

static const ModuleReset k_reset("nickname window", [] { nickname_window_open = 0; });

#include "social/chat_window/chat_panel_lines.h"

#include "core/reset/module_resets.h"

int32_t chat_panel_visible_lines = 4;

static const ModuleReset k_reset("chat panel lines", [] { chat_panel_visible_lines = 4; });

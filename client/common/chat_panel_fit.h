// The separate chat panel's window (id 1 on the normal list) sized to its visible lines.
#pragma once
#include <cstdint>

// The chat panel window's id, fixed by its opener.
constexpr int32_t kChatPanelWindowId = 1;

// Moves the panel's top to bottom - visible lines x 20 - 25; nothing while the panel is closed.
void chat_panel_fit_lines();

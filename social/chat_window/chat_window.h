// The separate chat window.
#pragma once
#include <cstdint>

// Creates the window hidden at start-up: 0, or 0x80004005 when it cannot be made (the game then
// runs on without it).
int32_t chat_window_create(uintptr_t instance, int32_t language);
// Shows (on non-zero) or hides the separate chat window. Until the window is built: nothing.
void chat_window_show(int32_t on);

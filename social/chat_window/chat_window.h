// The separate chat window.
#pragma once
#include <cstdint>

// Creates the window hidden at start-up: 0, or 0x80004005 when it cannot be made (the game then
// runs on without it).
int32_t chat_window_create(uintptr_t instance, int32_t language);
// Shows (non-zero) or hides the separate chat window; nothing until that window is built.
void chat_window_show(int32_t shown);
// Shows or hides the window by the chat-window setting (at each game entry).
void chat_window_mode_apply();

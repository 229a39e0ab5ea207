// The nickname entry window for the character whose id the character select screen kept.
// Stand-in until the game screen's windows land: it only keeps whether the window is open.
#pragma once
#include <cstdint>

// 1 while the window is open.
extern int32_t nickname_window_open;

// Opens the window, or closes it when it is open.
void nickname_window_toggle();

// 1 while the game main task runs (from the in-game title until its frame loop ends). While it
// is set the main window hands a close request to the game instead of closing.
#pragma once
#include <cstdint>

extern int32_t game_running;

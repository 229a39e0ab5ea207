// The main menu: seven buttons over the menu background, the logo, the menu music and the window
// title. Each start clears what a previous session left.
#pragma once
#include <cstdint>

constexpr int32_t MAIN_MENU_BUTTONS = 7;

// 0 (start), -1 (quit or missing art), or 1006 (character select) during a replay.
int32_t task_select_mainfunction();

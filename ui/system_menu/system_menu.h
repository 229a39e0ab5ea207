// The in-game system menu.
#pragma once

// Opens the menu (leave mode 1 of the game main task).
void system_menu_window_open();

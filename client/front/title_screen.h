// The title: the title film, then the menu background (picture, seven decorations and the logo)
// faded in and left in work buffer 1 for the main menu.
#pragma once
#include <cstdint>

// 0, or -1 when a file is missing (the task table then ends the game).
int32_t task_show_title();

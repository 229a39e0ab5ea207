// How many chat lines the separate chat panel shows.
#pragma once
#include <cstdint>

// 4 until the chat panel's line setting lands.
extern int32_t chat_panel_visible_lines;

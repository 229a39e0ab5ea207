// The two-button question box of the server's macro dialogs and the login queue.
#pragma once
#include <cstdint>

constexpr int32_t MACRO_CONFIRM_WIDTH = 292;
constexpr int32_t MACRO_CONFIRM_HEIGHT = 128;
constexpr int32_t MACRO_CONFIRM_X = 400 - MACRO_CONFIRM_WIDTH / 2;
constexpr int32_t MACRO_CONFIRM_Y = 300 - MACRO_CONFIRM_HEIGHT / 2;

// Draws the question in a box centred on the back buffer and reads this frame's mouse: 1 for a
// click on the left button, 0 on the right one; otherwise the frame's key and event bytes are
// cleared and the answer is -1. Buttons (from the box origin, inclusive): x 54..116 and
// 175..237, y 89..109.
int32_t macro_confirm_box(const char* text);

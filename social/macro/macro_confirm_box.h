// The macro system's two-button question box, answered by a click.
#pragma once
#include <cstdint>

// The box's size and its two buttons, relative to its origin (bounds inclusive).
constexpr int32_t CONFIRM_BOX_WIDTH = 296;
constexpr int32_t CONFIRM_BOX_HEIGHT = 130;
constexpr int32_t CONFIRM_LEFT_X0 = 54, CONFIRM_LEFT_X1 = 116;
constexpr int32_t CONFIRM_RIGHT_X0 = 175, CONFIRM_RIGHT_X1 = 237;
constexpr int32_t CONFIRM_BUTTON_Y0 = 89, CONFIRM_BUTTON_Y1 = 109;

// Draws the question in a box centred on the back buffer and reads the frame's mouse: 1 for a
// release of the left button over the left button, 0 over the right one, else -1. Until the
// macro dialogs are built the box is a plain frame with the text.
int32_t macro_confirm_box(const char* text);

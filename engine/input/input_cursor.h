// The software mouse cursor that DRAW draws into each presented frame.
#pragma once
#include <cstdint>

struct BITMAP16;

// Draws the cursor into the target pixels (pitch in bytes), saving what it covers.
void input_cursor_draw(uint16_t* pixels, int32_t pitch, int32_t width, int32_t height);
// Puts the saved pixels back into the target.
void input_cursor_restore(BITMAP16* target);

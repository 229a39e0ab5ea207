// Text with a one-pixel black outline, drawn on the back bitmap.
#pragma once
#include <cstdint>

// Black at the four neighbours of (x, y), then the colour at (x, y), each after "~Z1"; text
// colour 0 is white afterwards.
void draw_outlined_text(int32_t x, int32_t y, uint16_t colour, const char* text);

// The scene weather the game main task selects, updates and draws.
#pragma once
#include <cstdint>

struct BITMAP16;

// Selects the weather kind; 0 turns it off.
void weather_set(int32_t kind);
void weather_update();
// Draws nothing while the weather display flag is 0.
void weather_draw(BITMAP16* target);

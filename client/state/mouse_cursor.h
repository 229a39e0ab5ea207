// The mouse cursor shape of the game screens (13 shapes loaded from SYSTEM\MOUSE%d.ani).
#pragma once
#include <cstdint>

// Loads the 13 shapes; each failure says "init mouse error" and the game goes on.
void mouse_cursors_load();
// Selects a shape by index; the shape's handle.
int32_t set_mouse_cursor(int32_t shape);

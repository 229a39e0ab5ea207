// The mouse cursor shape of the game screens (13 shapes loaded from SYSTEM\MOUSE%d.ani).
#pragma once
#include <cstdint>

// Selects a shape by index; the shape's handle.
int32_t set_mouse_cursor(int32_t shape);

// The mouse cursor shapes of the game screens: 13 animated cursors from SYSTEM\MOUSE%d.ani and
// the one shown.
#pragma once
#include <cstdint>

#include "plat/cursor.h"

constexpr int MOUSE_CURSOR_SHAPES = 13;

struct MOUSE_CURSOR_STATE {
  plat::CursorId handles[MOUSE_CURSOR_SHAPES];  // 0: the shape failed to load
  int32_t current;                              // -1 until a shape is set
};
extern MOUSE_CURSOR_STATE mouse_cursor_state;

// Loads the 13 shapes (those of an earlier load are freed first); each one that fails shows
// "init mouse error" in the platform's box, and the next is loaded.
void mouse_cursors_load();
// Makes a loaded shape other than the current one the cursor; the shape's handle (0 for a shape
// that did not load or an index outside 0..12).
int32_t set_mouse_cursor(int32_t shape);

// Stand-in until the software cursor is built: nothing is drawn or restored.
#include "engine/input/input_cursor.h"

void input_cursor_draw(uint16_t*, int32_t, int32_t, int32_t) {}

void input_cursor_restore(BITMAP16*) {}

// Stand-in until the cursor shapes are loaded: nothing to select.
#include "client/state/mouse_cursor.h"

int32_t set_mouse_cursor(int32_t /*shape*/) { return 0; }

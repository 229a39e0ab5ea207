#include "items/drag_icon/drag_icon.h"

void item_draw_drag_icon() {}

// The area map window's state that the map loader resets with each map.
#pragma once
#include <cstdint>

// The last clicked point, relative to the window's top-left corner; -1 none.
extern int32_t area_map_click_x, area_map_click_y;

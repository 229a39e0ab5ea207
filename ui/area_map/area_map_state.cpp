#include "ui/area_map/area_map_state.h"

#include "core/reset/module_resets.h"

int32_t area_map_click_x = -1, area_map_click_y = -1;

static const ModuleReset k_reset("area map state", [] { area_map_click_x = area_map_click_y = -1; });

// Stand-in until the scene's character table is built: no character is ever found.
#include "core/reset/module_resets.h"
#include "world/scene/scene_chars.h"

int32_t scene_zoom_level = 0;
int32_t scene_in_scene = 0;

int32_t scene_find_char(uint32_t /*id*/) { return -2; }

// No character table exists yet, so there is nothing to release.
void scene_clear_chars() {}

static const ModuleReset k_reset("scene characters", [] { scene_zoom_level = scene_in_scene = 0; });

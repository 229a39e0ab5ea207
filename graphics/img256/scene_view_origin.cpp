#include "graphics/img256/scene_view_origin.h"

#include "core/reset/module_resets.h"

SCENE_VIEW_ORIGIN scene_view_origin = {0, 0};

static const ModuleReset k_reset("scene view origin", [] { scene_view_origin = {0, 0}; });

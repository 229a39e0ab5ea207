#include "graphics/img256/scene_view_origin.h"

SCENE_VIEW_ORIGIN scene_view_origin = {0, 0};

#include "world/scene/view_rect.h"

#include "core/reset/module_resets.h"

namespace {
SCENE_VIEW_RECT g_view_rect;
}

SCENE_VIEW_RECT& scene_view_rect() { return g_view_rect; }

void scene_view_rect_reset() { g_view_rect = SCENE_VIEW_RECT{}; }

static const ModuleReset k_reset("scene view rect", scene_view_rect_reset);

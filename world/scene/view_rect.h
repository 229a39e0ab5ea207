// The map scene's view rectangle: the screen area the scene draws into. The game main task
// sets it when it starts; the scene reads it.
#pragma once
#include <cstdint>

struct SCENE_VIEW_RECT {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

SCENE_VIEW_RECT& scene_view_rect();
void scene_view_rect_reset();  // tests: back to all zero

// The map scene's view origin: the map position of the screen's top-left corner. Sprite
// drawing adds it to screen positions to get map positions; the scene sets it.
#pragma once
#include <cstdint>

struct SCENE_VIEW_ORIGIN {
  int32_t x;
  int32_t y;
};

extern SCENE_VIEW_ORIGIN scene_view_origin;

// Free map points near a point or in a direction from it, for characters placed beside others.
// Built here for movement; the battle helpers take these over.
#pragma once
#include <cstdint>

// The free-point direction numbering (neither the scene's nor the walk search's).
enum FREE_POINT_DIR : int32_t {
  FREE_DIR_DOWN = 0,
  FREE_DIR_UP = 1,
  FREE_DIR_RIGHT = 2,
  FREE_DIR_LEFT = 3,
  FREE_DIR_DOWN_LEFT = 4,
  FREE_DIR_UP_RIGHT = 5,
  FREE_DIR_DOWN_RIGHT = 6,
  FREE_DIR_UP_LEFT = 7,
};

// The first free point on rings of 50, 100, 150 and 200 pixels round (x, y), in an order
// shuffled by rand() per ring: 0, or -2 with the input point when none is free.
int32_t scene_find_free_point_near(int32_t x, int32_t y, int32_t* out_x, int32_t* out_y);
// The point distance pixels from (x, y) in the direction, clamped to the map; searched near when
// it is blocked; the input point when nothing is free.
void scene_find_free_point_dir(int32_t x, int32_t y, int32_t distance, int32_t direction, int32_t* out_x,
                               int32_t* out_y);

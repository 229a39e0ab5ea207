// The direction rule and the step length every walking character shares.
#pragma once
#include <cstdint>

// The scene's direction numbering (the order of scene_step_char); the walk search has its own.
enum SCENE_DIR : int32_t {
  SCENE_DIR_UP = 0,
  SCENE_DIR_DOWN = 1,
  SCENE_DIR_LEFT = 2,
  SCENE_DIR_RIGHT = 3,
  SCENE_DIR_UP_RIGHT = 4,
  SCENE_DIR_DOWN_LEFT = 5,
  SCENE_DIR_UP_LEFT = 6,
  SCENE_DIR_DOWN_RIGHT = 7,
};

constexpr int32_t WALK_PIXELS_PER_SECOND = 140;

// The direction from the first point to the second; -2 for the same point. Offsets of t pixels
// or less on one axis count as a straight move along the other (t below 1 counts as 1).
int32_t walk_direction(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t t);

// Pixels a walker moves in one frame of frame_ms. A replay multiplies by its speed; outside a
// replay, a speed above 0 adds a pixel on frames whose counter is not a multiple of 15 / speed.
int32_t walk_step_length_for(uint32_t frame_ms, bool replaying, int32_t speed, uint64_t frame_counter);
// The same for the current frame (frame time, replay flag, replay speed and frame counter).
int32_t walk_step_length();

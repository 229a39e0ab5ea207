#include "world/scene/walk_direction.h"

#include <cstdlib>

#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/replay_state.h"
#include "client/handover/replay_controls.h"

int32_t walk_direction(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t t) {
  if (t < 1) t = 1;
  if (x0 == x1 && y0 == y1) return -2;
  if (std::abs(x1 - x0) <= t) return y0 <= y1 ? SCENE_DIR_DOWN : SCENE_DIR_UP;
  if (std::abs(y1 - y0) <= t) return x0 > x1 ? SCENE_DIR_LEFT : SCENE_DIR_RIGHT;
  if (x0 > x1 && y0 > y1) return SCENE_DIR_UP_LEFT;
  if (x0 < x1 && y0 > y1) return SCENE_DIR_UP_RIGHT;
  if (x0 <= x1) return SCENE_DIR_DOWN_RIGHT;
  return SCENE_DIR_DOWN_LEFT;
}

int32_t walk_step_length_for(uint32_t frame_ms, bool replaying, int32_t speed, uint64_t frame_counter) {
  int32_t step = static_cast<int32_t>(frame_ms * WALK_PIXELS_PER_SECOND * 0.001);
  if (replaying) return step * (speed > 0 ? speed : 1);
  if (speed > 0) {
    const int32_t period = 15 / speed;
    if (period <= 0 || frame_counter % static_cast<uint64_t>(period) != 0) ++step;
  }
  return step;
}

int32_t walk_step_length() {
  return walk_step_length_for(frame_input.frame_time, replaying != 0, speed_divisor.load(), frame_counter());
}

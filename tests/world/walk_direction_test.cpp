// The direction rule and the per-frame step length of walking characters.
#include <gtest/gtest.h>

#include "world/scene/walk_direction.h"

namespace {

TEST(Movement, WalkDirection) {
  struct Case {
    const char* name;
    int32_t x0, y0, x1, y1, t, expected;
  } cases[] = {
      {"same point", 10, 10, 10, 10, 5, -2},
      {"straight down", 10, 10, 10, 50, 5, SCENE_DIR_DOWN},
      {"straight up", 10, 50, 10, 10, 5, SCENE_DIR_UP},
      {"down within the threshold across", 10, 10, 15, 50, 5, SCENE_DIR_DOWN},
      {"up just past the threshold across", 10, 50, 16, 10, 5, SCENE_DIR_UP_RIGHT},
      {"left within the threshold down", 50, 10, 10, 15, 5, SCENE_DIR_LEFT},
      {"right within the threshold up", 10, 15, 50, 10, 5, SCENE_DIR_RIGHT},
      {"up-left", 50, 50, 10, 10, 5, SCENE_DIR_UP_LEFT},
      {"up-right", 10, 50, 50, 10, 5, SCENE_DIR_UP_RIGHT},
      {"down-right", 10, 10, 50, 50, 5, SCENE_DIR_DOWN_RIGHT},
      {"down-left", 50, 10, 10, 50, 5, SCENE_DIR_DOWN_LEFT},
      {"t 0 counts as 1: one pixel across is straight", 10, 10, 11, 50, 0, SCENE_DIR_DOWN},
      {"t 0 counts as 1: two pixels across is diagonal", 10, 10, 12, 50, 0, SCENE_DIR_DOWN_RIGHT},
      {"one pixel right counts as straight down", 10, 10, 11, 10, 0, SCENE_DIR_DOWN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(walk_direction(c.x0, c.y0, c.x1, c.y1, c.t), c.expected) << c.name;
  }
}

TEST(Movement, StepLength) {
  struct Case {
    const char* name;
    uint32_t frame_ms;
    bool replaying;
    int32_t speed;
    uint64_t counter;
    int32_t expected;
  } cases[] = {
      {"50 ms", 50, false, 0, 14, 7},
      {"31 ms", 31, false, 0, 14, 4},
      {"replay at speed 1", 50, true, 1, 14, 7},
      {"replay at speed 2", 50, true, 2, 14, 14},
      {"replay at speed 4", 50, true, 4, 15, 28},
      {"speed 1, counter 14 gets the extra pixel", 50, false, 1, 14, 8},
      {"speed 1, counter 15 does not", 50, false, 1, 15, 7},
      {"speed 1, counter 30 does not", 50, false, 1, 30, 7},
      {"speed 2: multiples of 7 do not", 50, false, 2, 14, 7},
      {"speed 2: counter 15 does", 50, false, 2, 15, 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(walk_step_length_for(c.frame_ms, c.replaying, c.speed, c.counter), c.expected) << c.name;
  }
}

}  // namespace

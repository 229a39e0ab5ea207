// Free map points beside a point: the rings round it, the map's margins and walled spots.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plat/crt.h"
#include "tests/world/scene_fixture.h"
#include "world/scene/scene_free_point.h"

namespace {

class FreePoint : public scene_test::SceneTest {
 protected:
  // Blocks every cell of the 100 x 100-cell, 20-pixel map but those listed free.
  static void wallEverythingBut(std::initializer_list<std::pair<int32_t, int32_t>> free_cells) {
    for (uint16_t& cell : map_record.cells) cell = 0x8000;
    for (auto [x, y] : free_cells) map_record.cells[static_cast<size_t>(y) * 100 + x] = 0;
  }
};

TEST_F(FreePoint, Near) {
  struct Case {
    const char* name;
    bool walled;
    std::initializer_list<std::pair<int32_t, int32_t>> free_cells;
    int32_t result, out_x, out_y;  // out -1: any point of the first ring
  } cases[] = {
      {"open ground: a point of the first ring", false, {}, 0, -1, -1},
      {"only the spot itself is free within 200 pixels", true, {{50, 50}}, -2, 1010, 1010},
      {"only the third ring's point up-left is free", true, {{43, 43}}, 0, 860, 860},
  };
  for (const Case& c : cases) {
    blankMap(100, 100, 20, 20);
    if (c.walled) wallEverythingBut(c.free_cells);
    plat::crt_srand(3);
    int32_t x = 0, y = 0;
    EXPECT_EQ(scene_find_free_point_near(1010, 1010, &x, &y), c.result) << c.name;
    if (c.out_x >= 0) {
      EXPECT_EQ(x, c.out_x) << c.name;
      EXPECT_EQ(y, c.out_y) << c.name;
    } else {
      EXPECT_TRUE((std::abs(x - 1010) == 50 || std::abs(y - 1010) == 50) && std::abs(x - 1010) <= 50 &&
                  std::abs(y - 1010) <= 50)
          << c.name << " " << x << "," << y;
    }
  }
}

TEST_F(FreePoint, InDirection) {
  struct Case {
    const char* name;
    int32_t x, y, distance, direction, out_x, out_y;
  } cases[] = {
      {"down", 1010, 1010, 50, FREE_DIR_DOWN, 1010, 1060},
      {"up-left", 1010, 1010, 50, FREE_DIR_UP_LEFT, 960, 960},
      {"clamped at the left edge", 20, 1010, 50, FREE_DIR_LEFT, 0, 1010},
  };
  for (const Case& c : cases) {
    blankMap(100, 100, 20, 20);
    int32_t x = 0, y = 0;
    scene_find_free_point_dir(c.x, c.y, c.distance, c.direction, &x, &y);
    EXPECT_EQ(x, c.out_x) << c.name;
    EXPECT_EQ(y, c.out_y) << c.name;
  }
  // Nothing free anywhere: the input point.
  wallEverythingBut({});
  int32_t x = 0, y = 0;
  scene_find_free_point_dir(1010, 1010, 50, FREE_DIR_DOWN, &x, &y);
  EXPECT_EQ(x, 1010);
  EXPECT_EQ(y, 1010);
}

}  // namespace

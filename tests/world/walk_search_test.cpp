// Line of sight, the greedy step, route planning, the free-cell flood and the server walk step on
// small drawn grids: results, points, and a grid left exactly as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/mapwrite/mapwrite.h"
#include "world/map/walk_search.h"

namespace {

// A grid of 10 x 10-pixel cells drawn as art ('#' blocked). ring: the outer ring becomes 0xC0
// as the map loader makes it; without it the art is taken as drawn.
struct ArtGrid {
  WALK_GRID grid{};
  std::vector<uint8_t> before;
  ArtGrid(const std::string& art, bool ring = true) {
    const std::vector<uint16_t> cells = mapw::cells_from_art(art);
    const int32_t across = static_cast<int32_t>(art.find('\n') == std::string::npos ? art.size() : art.find('\n'));
    const int32_t down = static_cast<int32_t>(cells.size()) / across;
    EXPECT_EQ(walk_grid_create(&grid, across, down, 10, 10, cells.data()), 0);
    if (!ring) {
      for (size_t i = 0; i < cells.size(); ++i) grid.cells[i] = (cells[i] & 0x8000) ? WALK_BLOCKED : 0;
    }
    before.assign(grid.cells, grid.cells + cells.size());
  }
  ArtGrid(int32_t across, int32_t down) {
    EXPECT_EQ(walk_grid_create(&grid, across, down, 10, 10, nullptr), 0);
    before.assign(grid.cells, grid.cells + static_cast<size_t>(across) * down);
  }
  ~ArtGrid() { walk_grid_free(&grid); }
  void block(int32_t x, int32_t y) {
    grid.cells[static_cast<size_t>(y) * grid.width + x] |= WALK_BLOCKED;
    before[static_cast<size_t>(y) * grid.width + x] |= WALK_BLOCKED;
  }
  bool clean() const { return std::equal(before.begin(), before.end(), grid.cells); }
  bool free_pixel(int32_t x, int32_t y) const {
    return !(grid.cells[static_cast<size_t>(y / 10) * grid.width + x / 10] & WALK_BLOCKED);
  }
};

std::string join(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) {
    if (!s.empty()) s += '\n';
    s += r;
  }
  return s;
}

// A wall in column 10, rows 3 to 7, with open ground round it.
const std::string kWall = join({
    "####################",
    "#..................#",
    "#..................#",
    "#.........#........#",
    "#.........#........#",
    "#.........#........#",
    "#.........#........#",
    "#.........#........#",
    "#..................#",
    "#..................#",
    "#..................#",
    "####################",
});

// A sealed pocket (cells 12..14 x 4..6) in open ground.
const std::string kPocket = join({
    "####################",
    "#..................#",
    "#..................#",
    "#..........#####...#",
    "#..........#...#...#",
    "#..........#...#...#",
    "#..........#...#...#",
    "#..........#####...#",
    "#..................#",
    "####################",
});

TEST(WalkLine, Table) {
  const ArtGrid g(join({
                      "........",
                      "........",
                      "...#....",
                      "........",
                      "......#.",
                      "........",
                  }),
                  false);
  struct Case {
    const char* name;
    int32_t x0, y0, x1, y1, expected;
  } cases[] = {
      {"horizontal open", 0, 1, 7, 1, 0},
      {"horizontal through a wall", 0, 2, 7, 2, -1},
      {"vertical through a wall", 3, 0, 3, 5, -1},
      {"vertical open", 1, 0, 1, 5, 0},
      {"steep passing beside the wall", 1, 1, 2, 4, 0},
      {"shallow into the wall", 1, 1, 4, 3, -1},
      {"wall only at the far end", 1, 3, 6, 4, -1},
      {"single free cell", 2, 2, 2, 2, 0},
      {"leaving the grid", 5, 0, 12, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(walk_line_clear(c.x0, c.y0, c.x1, c.y1, &g.grid), c.expected) << c.name;
    EXPECT_EQ(walk_line_clear(c.x1, c.y1, c.x0, c.y0, &g.grid), c.expected) << c.name << " (swapped)";
  }
  EXPECT_EQ(walk_line_clear(-1, 1, 3, 1, &g.grid), -1) << "start outside";
}

TEST(WalkStep, Table) {
  ArtGrid g(kWall);
  struct Case {
    const char* name;
    int32_t sx, sy, tx, ty, result, next_x, next_y, far_x, far_y;
  } cases[] = {
      // Outputs the function leaves alone keep the marker -7.
      {"start on the ring", 5, 55, 155, 55, -2, 155, 55, -7, -7},
      {"start on a wall", 105, 55, 155, 55, -2, 155, 55, -7, -7},
      {"target in the start's cell", 55, 55, 58, 52, 0, 58, 52, -7, -7},
      {"visible target", 25, 25, 125, 25, 1, 31, 25, 125, 25},
      {"visible target below", 25, 25, 28, 33, 1, 25, 31, 25, 35},
      {"greedy walk stops at the wall", 55, 55, 155, 55, 2, 61, 55, 95, 55},
      {"target on the wall", 25, 55, 105, 55, 1, 31, 55, 95, 55},
      {"target beyond the grid is clamped", 25, 25, 900, 25, 1, 31, 25, 185, 25},
  };
  for (const Case& c : cases) {
    int32_t tx = c.tx, ty = c.ty, fx = -7, fy = -7;
    EXPECT_EQ(walk_step_towards(c.sx, c.sy, &tx, &ty, &fx, &fy, 5, &g.grid), c.result) << c.name;
    EXPECT_EQ(tx, c.next_x) << c.name;
    EXPECT_EQ(ty, c.next_y) << c.name;
    EXPECT_EQ(fx, c.far_x) << c.name;
    EXPECT_EQ(fy, c.far_y) << c.name;
    EXPECT_TRUE(g.clean()) << c.name;
  }
}

// The greedy walk up a staircase records a turn point at each change of direction; the far point
// is the last turn point still visible from the start.
TEST(WalkStep, StaircaseTurnPoints) {
  ArtGrid g(join({
      "##########",
      "#........#",
      "#........#",
      "#....#...#",
      "#...##...#",
      "#..###...#",
      "#........#",
      "##########",
  }));
  int32_t tx = 75, ty = 15, fx = 0, fy = 0;
  // From (1,6) to (7,1): up-right to (2,5)? blocked by (3,5)... the walk goes up then up-right.
  const int32_t r = walk_step_towards(15, 65, &tx, &ty, &fx, &fy, 5, &g.grid);
  EXPECT_TRUE(r == 1 || r == 2);
  EXPECT_TRUE(g.free_pixel(fx, fy));
  EXPECT_TRUE(g.free_pixel(tx, ty));
  EXPECT_EQ(walk_line_clear(1, 6, fx / 10, fy / 10, &g.grid), 0);
  EXPECT_TRUE(g.clean());
}

struct RouteCheck {
  static void expect_walkable(const ArtGrid& g, int32_t sx, int32_t sy, const WAYPOINT_ARRAY& w, int32_t step,
                              const char* name) {
    int32_t x = sx, y = sy;
    for (int32_t i = 0; i < w.count; ++i) {
      const WAYPOINT& p = w.data[i];
      EXPECT_TRUE(g.free_pixel(p.x, p.y)) << name << " waypoint " << i;
      // A blocked first candidate moves the point on by up to 2 x step - 1 (plus the rounding).
      EXPECT_LE(std::abs(p.x - x), 2 * step) << name << " waypoint " << i;
      EXPECT_LE(std::abs(p.y - y), 2 * step) << name << " waypoint " << i;
      EXPECT_EQ(walk_line_clear(x / 10, y / 10, p.x / 10, p.y / 10, &g.grid), 0) << name << " waypoint " << i;
      EXPECT_EQ(p.sent, 0u);
      x = p.x;
      y = p.y;
    }
  }
};

TEST(PathFind, Cases) {
  struct Case {
    const char* name;
    const std::string* art;
    int32_t sx, sy, gx, gy, result;
    int32_t goal_out_x, goal_out_y;                   // the goal outputs afterwards
    std::vector<std::pair<int32_t, int32_t>> exact;   // the whole route, when given
    int32_t last_x, last_y;                           // the last waypoint, when the route is walked
  } cases[] = {
      {"goal on a wall", &kWall, 25, 55, 105, 55, 1, 31, 55, {{25, 55}}, 25, 55},
      {"goal in the start's cell", &kWall, 25, 55, 27, 58, 0, 27, 58, {{27, 58}}, 27, 58},
      {"start on the ring", &kWall, 5, 55, 55, 55, -2, 55, 55, {{5, 55}}, 5, 55},
      {"start on a wall", &kWall, 105, 45, 55, 55, -2, 55, 55, {}, 0, 0},
      {"sealed pocket", &kPocket, 25, 25, 135, 55, 0, 25, 25, {{25, 25}}, 25, 25},
      {"around the wall", &kWall, 55, 55, 155, 55, 0, 155, 55, {}, 155, 55},
      {"straight line", &kWall, 25, 25, 125, 25, 0, 125, 25, {}, 125, 25},
      {"diagonal below the wall", &kWall, 25, 15, 175, 105, 0, 175, 105, {}, 175, 105},
  };
  for (const Case& c : cases) {
    ArtGrid g(*c.art);
    WAYPOINT_ARRAY w;
    int32_t gx = c.gx, gy = c.gy, fx = 0, fy = 0;
    EXPECT_EQ(path_find(c.sx, c.sy, &gx, &gy, &fx, &fy, 5, &g.grid, &w), c.result) << c.name;
    EXPECT_EQ(gx, c.goal_out_x) << c.name;
    EXPECT_EQ(gy, c.goal_out_y) << c.name;
    EXPECT_TRUE(g.clean()) << c.name;
    if (!c.exact.empty() || c.result != 0 || c.last_x == 0) {
      ASSERT_EQ(w.count, static_cast<int32_t>(c.exact.size())) << c.name;
      for (size_t i = 0; i < c.exact.size(); ++i) {
        EXPECT_EQ(w.data[i].x, c.exact[i].first) << c.name;
        EXPECT_EQ(w.data[i].y, c.exact[i].second) << c.name;
      }
      continue;
    }
    ASSERT_GT(w.count, 1) << c.name;
    RouteCheck::expect_walkable(g, c.sx, c.sy, w, 5, c.name);
    EXPECT_EQ(w.data[w.count - 1].x, c.last_x) << c.name;
    EXPECT_EQ(w.data[w.count - 1].y, c.last_y) << c.name;
  }
}

// One-cell-wide serpentines: a small one is walked end to end; one holding more free cells than
// the queue puts its far end out of the search's reach, so the route is the start alone. Both
// leave the grid clean.
TEST(PathFind, SerpentineAndQueueLimit) {
  struct Case {
    const char* name;
    int32_t across, down;
    bool reached;
  } cases[] = {
      {"small serpentine", 62, 41, true},
      {"serpentine beyond the queue", 1002, 1001, false},
  };
  for (const Case& c : cases) {
    ArtGrid g(c.across, c.down);
    for (int32_t y = 2; y < c.down - 1; y += 2) {
      const int32_t gap = (y / 2) % 2 ? c.across - 2 : 1;
      for (int32_t x = 1; x < c.across - 1; ++x) {
        if (x != gap) g.block(x, y);
      }
    }
    WAYPOINT_ARRAY w;
    const int32_t goal_x = 15, goal_y = (c.down - 2) * 10 + 5;
    int32_t gx = goal_x, gy = goal_y, fx = 0, fy = 0;
    EXPECT_EQ(path_find(15, 15, &gx, &gy, &fx, &fy, 5, &g.grid, &w), 0) << c.name;
    EXPECT_TRUE(g.clean()) << c.name;
    ASSERT_GE(w.count, 1) << c.name;
    if (c.reached) {
      RouteCheck::expect_walkable(g, 15, 15, w, 5, c.name);
      EXPECT_EQ(w.data[w.count - 1].x, goal_x) << c.name;
      EXPECT_EQ(w.data[w.count - 1].y, goal_y) << c.name;
    } else {
      EXPECT_EQ(gx, 15) << c.name;
      EXPECT_EQ(gy, 15) << c.name;
      ASSERT_EQ(w.count, 1) << c.name;
      EXPECT_EQ(w.data[0].x, 15) << c.name;
    }
  }
}

TEST(FreeCell, Flood) {
  struct Case {
    const char* name;
    std::string art;
    int32_t x, y, out_x, out_y;
  } cases[] = {
      {"free cell unchanged", kWall, 25, 25, 25, 25},
      {"right comes first", join({"#######", "#.....#", "#.###.#", "#.###.#", "#.###.#", "#.....#", "#######"}), 35,
       35, 55, 35},
      {"up when right is walled", join({"########", "#......#", "#.####.#", "#.####.#", "#.####.#", "#......#",
                                        "########"}),
       35, 35, 35, 15},
      {"a wall pixel beside open ground", kWall, 105, 55, 115, 55},
      {"grid two cells across", join({"##", "##", "##"}), 5, 15, 5, 15},
  };
  for (const Case& c : cases) {
    ArtGrid g(c.art);
    int32_t x = c.x, y = c.y;
    walk_find_free_cell(&x, &y, &g.grid);
    EXPECT_EQ(x, c.out_x) << c.name;
    EXPECT_EQ(y, c.out_y) << c.name;
    EXPECT_TRUE(g.clean()) << c.name;
  }
}

// A blocked region larger than the queue: the flood gives up, the target stays, no mark is left.
TEST(FreeCell, RegionLargerThanQueue) {
  ArtGrid g(700, 700);
  for (int32_t y = 1; y < 699; ++y) {
    for (int32_t x = 1; x < 699; ++x) {
      if (x != 1) g.block(x, y);
    }
  }
  int32_t x = 6005, y = 3505;
  walk_find_free_cell(&x, &y, &g.grid);
  EXPECT_EQ(x, 6005);
  EXPECT_EQ(y, 3505);
  EXPECT_TRUE(g.clean());
}

TEST(WalkServerStep, Cases) {
  struct Case {
    const char* name;
    const std::string* art;
    int32_t x, y, tx, ty, result;
  } cases[] = {
      {"visible target", &kWall, 25, 25, 125, 25, 1},
      {"target around the wall", &kWall, 55, 55, 155, 55, 1},
      {"target in the own cell", &kWall, 55, 55, 58, 58, 0},
      {"start on the wall", &kWall, 105, 55, 155, 55, -2},
      {"sealed target", &kPocket, 25, 55, 135, 55, 2},
  };
  for (const Case& c : cases) {
    ArtGrid g(*c.art);
    int32_t tx = c.tx, ty = c.ty, fx = 0, fy = 0;
    EXPECT_EQ(walk_server_step(c.x, c.y, &tx, &ty, &fx, &fy, 5, &g.grid), c.result) << c.name;
    EXPECT_TRUE(g.clean()) << c.name;
    if (c.result == 1 || c.result == 2) {
      EXPECT_TRUE(g.free_pixel(tx, ty)) << c.name;
      EXPECT_LE(std::abs(tx - c.x), 6) << c.name;
      EXPECT_LE(std::abs(ty - c.y), 6) << c.name;
      EXPECT_EQ(walk_line_clear(c.x / 10, c.y / 10, fx / 10, fy / 10, &g.grid), 0) << c.name;
    }
  }
}

// Round the wall the far point is a corner of the searched route, not the blocked target.
TEST(WalkServerStep, FarPointIsAVisibleCorner) {
  ArtGrid g(kWall);
  int32_t tx = 155, ty = 55, fx = 0, fy = 0;
  ASSERT_EQ(walk_server_step(55, 55, &tx, &ty, &fx, &fy, 5, &g.grid), 1);
  EXPECT_NE(fx / 10, 15);
  EXPECT_TRUE(fy / 10 <= 2 || fy / 10 >= 8) << fy;
}

TEST(Waypoints, ArrayLimit) {
  WAYPOINT_ARRAY w;
  waypoint_array_grow(&w, 3);
  EXPECT_EQ(w.allocated, 4);
  EXPECT_EQ(waypoint_array_insert(&w, 0, WAYPOINT{1, 2, 0}), 0);
  EXPECT_EQ(waypoint_array_insert(&w, 0, WAYPOINT{3, 4, 1}), 0);
  EXPECT_EQ(w.data[1].x, 1);
  w.count = WALK_MAX_WAYPOINTS;  // pretend full: no insert goes through
  EXPECT_EQ(waypoint_array_insert(&w, 0, WAYPOINT{5, 6, 0}), -1);
  w.count = 2;
}

}  // namespace

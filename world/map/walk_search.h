// Searches on the walk grid: line of sight, the greedy step towards a target, the goal-directed
// search that plans a click-to-move route, the flood that moves a target off a wall, and one
// step of a server-driven walk. Every search uses one queue of nodes allocated once and clears
// its own marks by walking that queue, so the grid is as before when a call returns.
#pragma once
#include <cstdint>

#include "core/grow_array.h"
#include "world/map/walk_grid.h"

// A queue entry. The direction code (see WALK_SEARCH_DIR) only tells where a route turns.
struct WALK_NODE {
  int32_t x, y;       // cell
  int32_t direction;  // -1 for the first node
  int32_t parent;     // node index, -1 for the first node
};
static_assert(sizeof(WALK_NODE) == 16);

// The search's own direction numbering (the scene's differs on purpose).
enum WALK_SEARCH_DIR : int32_t {
  SEARCH_UP = 0,
  SEARCH_DOWN = 1,
  SEARCH_LEFT = 2,
  SEARCH_RIGHT = 3,
  SEARCH_UP_LEFT = 4,
  SEARCH_DOWN_LEFT = 5,
  SEARCH_UP_RIGHT = 6,
  SEARCH_DOWN_RIGHT = 7,
};

constexpr int32_t WALK_QUEUE_NODES = 399999;
constexpr int32_t WALK_MAX_WAYPOINTS = 399999;

// A point of a planned route in map pixels; sent is 1 once it went to the server.
struct WAYPOINT {
  uint16_t x, y;
  uint32_t sent;
};
static_assert(sizeof(WAYPOINT) == 8);

using WAYPOINT_ARRAY = GrowArray<WAYPOINT>;

// 0 when no cell on the line between the two cells is blocked, -1 when one is (or the start
// lies outside the grid). A line that leaves the grid counts as clear.
int32_t walk_line_clear(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const WALK_GRID* grid);

// Moves a point up to about L pixels towards the target. Results: -2 start outside the border
// or blocked; 0 target in the start's cell; 1 target visible, reached by the greedy walk or on a
// blocked cell; 2 greedy walk stopped short; -1 no free next point. The next point goes to the
// target outputs, the point aimed at to the far outputs.
int32_t walk_step_towards(int32_t sx, int32_t sy, int32_t* tx, int32_t* ty, int32_t* fx,
                          int32_t* fy, int32_t step, WALK_GRID* grid);

// Plans a route from the start to the goal into waypoints (the caller empties the array first).
// Returns 0, -2 for a start outside the border or blocked, or for a goal on a blocked cell the
// greedy step's result (the goal outputs then hold its next point).
int32_t path_find(int32_t sx, int32_t sy, int32_t* gx, int32_t* gy, int32_t* fx, int32_t* fy,
                  int32_t step, WALK_GRID* grid, WAYPOINT_ARRAY* waypoints);

// A target on a blocked cell moves to the centre of the nearest free cell.
void walk_find_free_cell(int32_t* x, int32_t* y, WALK_GRID* grid);

// One step of a walk to the target: -2, -1, 0 or 1 (as walk_step_towards, searching round
// walls when the straight line is blocked); the next point goes to the target outputs.
int32_t walk_server_step(int32_t x, int32_t y, int32_t* tx, int32_t* ty, int32_t* fx, int32_t* fy,
                         int32_t step, WALK_GRID* grid);

void waypoint_array_grow(WAYPOINT_ARRAY* array, int32_t extra);
// Inserts at index 0..count; -1 when refused (a full array: routes hold at most
// WALK_MAX_WAYPOINTS points).
int32_t waypoint_array_insert(WAYPOINT_ARRAY* array, int32_t index, const WAYPOINT& waypoint);

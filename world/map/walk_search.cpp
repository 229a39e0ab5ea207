#include "world/map/walk_search.h"

#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Cell offsets by search direction code.
constexpr int32_t kSearchDx[8] = {0, 0, -1, 1, -1, -1, 1, 1};
constexpr int32_t kSearchDy[8] = {-1, 1, 0, 0, -1, 1, -1, 1};

// The flood's neighbour order: right, up, left, down, then the diagonals.
constexpr int32_t kFloodDx[8] = {1, 0, -1, 0, 1, -1, -1, 1};
constexpr int32_t kFloodDy[8] = {0, -1, 0, 1, -1, -1, 1, 1};

WALK_NODE* queue_nodes() {
  // Allocated once and kept: every search of every frame reuses it.
  static WALK_NODE* nodes = static_cast<WALK_NODE*>(std::malloc(sizeof(WALK_NODE) * WALK_QUEUE_NODES));
  return nodes;
}

// Cell indices of a route's corners, start first; reused so that routes allocate nothing.
std::vector<int32_t>& corner_list() {
  static std::vector<int32_t> corners;
  return corners;
}

bool usable(const WALK_GRID* g) {
  return g && g->cells && g->width > 0 && g->height > 0 && g->cell_width > 0 && g->cell_height > 0;
}
bool in_grid(const WALK_GRID* g, int32_t cx, int32_t cy) {
  return cx >= 0 && cy >= 0 && cx < g->width && cy < g->height;
}
bool in_border(const WALK_GRID* g, int32_t cx, int32_t cy) {
  return cx >= 1 && cy >= 1 && cx <= g->width - 2 && cy <= g->height - 2;
}
uint8_t& cell_at(const WALK_GRID* g, int32_t cx, int32_t cy) {
  return g->cells[static_cast<size_t>(cy) * static_cast<size_t>(g->width) + static_cast<size_t>(cx)];
}
bool cell_free(const WALK_GRID* g, int32_t cx, int32_t cy) {
  return in_grid(g, cx, cy) && !(cell_at(g, cx, cy) & WALK_BLOCKED);
}
// Pixel coordinates may be negative; division truncates towards zero, so test the sign first.
bool pixel_free(const WALK_GRID* g, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && cell_free(g, x / g->cell_width, y / g->cell_height);
}
int32_t clamp_cell(int32_t c, int32_t size) { return c < 1 ? 1 : (c > size - 2 ? size - 2 : c); }
int32_t centre_x(const WALK_GRID* g, int32_t cx) { return cx * g->cell_width + g->cell_width / 2; }
int32_t centre_y(const WALK_GRID* g, int32_t cy) { return cy * g->cell_height + g->cell_height / 2; }
int32_t sign(int32_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// Step 5 of the greedy step: the next point from the start towards the far point.
int32_t next_point_towards(int32_t sx, int32_t sy, int32_t fx, int32_t fy, int32_t step,
                           const WALK_GRID* g, int32_t* nx, int32_t* ny) {
  const double dx = static_cast<double>(fx) - sx, dy = static_cast<double>(fy) - sy;
  const double dist = std::sqrt(dx * dx + dy * dy);
  if (dist <= step) {
    *nx = fx;
    *ny = fy;
    return 0;
  }
  for (int32_t k = step; k <= 2 * step - 1; ++k) {
    const int32_t cx = fx == sx ? fx : sx + sign(fx - sx) * static_cast<int32_t>(std::fabs(dx) * k / dist + 1.0);
    const int32_t cy = fy == sy ? fy : sy + sign(fy - sy) * static_cast<int32_t>(std::fabs(dy) * k / dist + 1.0);
    if (pixel_free(g, cx, cy)) {
      *nx = cx;
      *ny = cy;
      return 0;
    }
  }
  const int32_t m = step < g->cell_height ? step : g->cell_height - 1;
  const struct {
    bool when;
    int32_t x, y;
  } fallbacks[4] = {{fy > sy, sx, sy + m}, {fy < sy, sx, sy - m}, {fx > sx, sx + m, sy}, {fx < sx, sx - m, sy}};
  for (const auto& f : fallbacks) {
    if (f.when && pixel_free(g, f.x, f.y)) {
      *nx = f.x;
      *ny = f.y;
      return 0;
    }
  }
  return -1;
}

// The greedy walk's move from (cx, cy) towards (tx, ty): a search direction code, or -1.
int32_t greedy_move(const WALK_GRID* g, int32_t cx, int32_t cy, int32_t tx, int32_t ty) {
  const bool left = tx < cx, right = tx > cx;
  auto try_dir = [&](int32_t d) { return cell_free(g, cx + kSearchDx[d], cy + kSearchDy[d]); };
  if (ty != cy) {
    const bool up = ty < cy;
    const int32_t diag_left = up ? SEARCH_UP_LEFT : SEARCH_DOWN_LEFT;
    const int32_t diag_right = up ? SEARCH_UP_RIGHT : SEARCH_DOWN_RIGHT;
    const int32_t straight = up ? SEARCH_UP : SEARCH_DOWN;
    if (left && try_dir(diag_left)) return diag_left;
    if (right && try_dir(diag_right)) return diag_right;
    if (try_dir(straight)) return straight;
  }
  if (left && try_dir(SEARCH_LEFT)) return SEARCH_LEFT;
  if (right && try_dir(SEARCH_RIGHT)) return SEARCH_RIGHT;
  return -1;
}

// Steps 1 to 4 of the greedy step; the far point in cells. Returns -2, 0, 1 or 2, and the
// clamped target cell.
int32_t greedy_far_cell(const WALK_GRID* g, int32_t scx, int32_t scy, int32_t* tcx, int32_t* tcy,
                        int32_t* far_cx, int32_t* far_cy) {
  *tcx = clamp_cell(*tcx, g->width);
  *tcy = clamp_cell(*tcy, g->height);
  if (*tcx == scx && *tcy == scy) return 0;
  if (walk_line_clear(scx, scy, *tcx, *tcy, g) == 0) {
    *far_cx = *tcx;
    *far_cy = *tcy;
    return 1;
  }
  WALK_NODE* points = queue_nodes();
  int32_t n = 1;
  points[0] = WALK_NODE{scx, scy, -1, -1};
  int32_t cx = scx, cy = scy, result = 2;
  while (in_border(g, cx, cy) && n < WALK_QUEUE_NODES) {
    if (cx == *tcx && cy == *tcy) {
      result = 1;
      break;
    }
    const int32_t d = greedy_move(g, cx, cy, *tcx, *tcy);
    if (d < 0) break;
    cx += kSearchDx[d];
    cy += kSearchDy[d];
    if (d != points[n - 1].direction) ++n;
    points[n - 1] = WALK_NODE{cx, cy, d, n - 2};
  }
  if (cx == *tcx && cy == *tcy) result = 1;
  if (n == 1) return 0;
  int32_t k = 1;
  while (k + 1 < n && walk_line_clear(scx, scy, points[k + 1].x, points[k + 1].y, g) == 0) ++k;
  *far_cx = points[k].x;
  *far_cy = points[k].y;
  return result;
}

// Clears the marks of the queued cells (they were free before they were queued).
void clear_queued(const WALK_GRID* g, int32_t n, uint8_t bits) {
  const WALK_NODE* nodes = queue_nodes();
  for (int32_t i = 0; i < n; ++i) cell_at(g, nodes[i].x, nodes[i].y) &= static_cast<uint8_t>(~bits);
}

// The goal-directed search from the start cell. Returns the goal's node index, or -1; *count
// receives the queued nodes (their cells hold 0xC0 until cleared).
int32_t goal_search(const WALK_GRID* g, int32_t scx, int32_t scy, int32_t gcx, int32_t gcy, int32_t* count) {
  WALK_NODE* nodes = queue_nodes();
  nodes[0] = WALK_NODE{scx, scy, -1, -1};
  cell_at(g, scx, scy) |= WALK_CLOSED;
  int32_t n = 1;
  *count = 1;
  if (scx == gcx && scy == gcy) return 0;
  for (int32_t head = 0; head < n; ++head) {
    const WALK_NODE node = nodes[head];
    auto flag = [&](int32_t d) -> uint8_t {
      const int32_t x = node.x + kSearchDx[d], y = node.y + kSearchDy[d];
      return in_grid(g, x, y) ? static_cast<uint8_t>(cell_at(g, x, y) & WALK_CLOSED) : static_cast<uint8_t>(WALK_CLOSED);
    };
    auto append = [&](int32_t d) -> bool {  // true when the search ends
      const int32_t x = node.x + kSearchDx[d], y = node.y + kSearchDy[d];
      nodes[n] = WALK_NODE{x, y, d, head};
      cell_at(g, x, y) |= WALK_CLOSED;
      ++n;
      *count = n;
      return (x == gcx && y == gcy) || n >= WALK_QUEUE_NODES;
    };
    auto last_if_goal = [&] { return nodes[n - 1].x == gcx && nodes[n - 1].y == gcy ? n - 1 : -1; };
    uint8_t flags[8];
    bool wall = false;
    for (int32_t d = 0; d < 8; ++d) {
      flags[d] = flag(d);
      wall = wall || flags[d] == WALK_BLOCKED;
    }
    auto beside_blocked = [&](int32_t d) {
      for (int32_t b = 0; b < 8; ++b) {
        if (b == d || flags[b] != WALK_BLOCKED) continue;
        if (std::abs(kSearchDx[b] - kSearchDx[d]) <= 1 && std::abs(kSearchDy[b] - kSearchDy[d]) <= 1) return true;
      }
      return false;
    };
    if (wall) {
      bool tagged[8] = {};
      for (int32_t d = 0; d < 8; ++d) {
        if (!beside_blocked(d)) continue;
        if (d == node.direction && flags[d] == WALK_CLOSED) break;
        if (flags[d] == 0) tagged[d] = true;
      }
      for (int32_t d = 0; d < 8; ++d) {
        if (tagged[d] && append(d)) return last_if_goal();
      }
      if (head != 0 && flag(node.direction) == 0 && append(node.direction)) return last_if_goal();
      continue;
    }
    int32_t candidates[2];
    int32_t c = 0;
    if (gcx == node.x) {
      if (gcy < node.y) candidates[c++] = SEARCH_UP;
      else if (gcy > node.y) candidates[c++] = SEARCH_DOWN;
    } else {
      const bool right = gcx > node.x;
      if (gcy < node.y) candidates[c++] = right ? SEARCH_UP_RIGHT : SEARCH_UP_LEFT;
      else if (gcy > node.y) candidates[c++] = right ? SEARCH_DOWN_RIGHT : SEARCH_DOWN_LEFT;
      candidates[c++] = right ? SEARCH_RIGHT : SEARCH_LEFT;
    }
    for (int32_t i = 0; i < c; ++i) {
      const uint8_t f = flags[candidates[i]];
      if (f == WALK_CLOSED) break;
      if (f != 0) continue;
      if (append(candidates[i])) return last_if_goal();
      break;
    }
  }
  return -1;
}

// The route's corners from the start node to the goal node, as node indices, start first.
void collect_corners(int32_t goal_node) {
  std::vector<int32_t>& corners = corner_list();
  corners.clear();
  const WALK_NODE* nodes = queue_nodes();
  int32_t child_dir = -2;
  for (int32_t i = goal_node; i >= 0; i = nodes[i].parent) {
    if (nodes[i].direction != child_dir || i == 0) corners.push_back(i);
    child_dir = nodes[i].direction;
  }
  for (size_t a = 0, b = corners.size() - 1; a < b; ++a, --b) std::swap(corners[a], corners[b]);
}

// Index in the corner list of the farthest corner visible from the cell, scanning forward from
// first and stopping at the first hidden one; first itself when it is hidden.
size_t farthest_visible(const WALK_GRID* g, int32_t cx, int32_t cy, size_t first) {
  const std::vector<int32_t>& corners = corner_list();
  const WALK_NODE* nodes = queue_nodes();
  size_t k = first;
  while (k + 1 < corners.size() &&
         walk_line_clear(cx, cy, nodes[corners[k + 1]].x, nodes[corners[k + 1]].y, g) == 0) {
    ++k;
  }
  return k;
}

void append_if_free(const WALK_GRID* g, WAYPOINT_ARRAY* w, int32_t x, int32_t y) {
  if (pixel_free(g, x, y)) waypoint_array_insert(w, w->count, WAYPOINT{static_cast<uint16_t>(x), static_cast<uint16_t>(y), 0});
}

// Fills the waypoints along the corners from the start pixel. Stops, keeping what was built,
// when a step fails or makes no progress towards its aim.
void build_route(const WALK_GRID* g, int32_t sx, int32_t sy, int32_t step, WAYPOINT_ARRAY* w) {
  const std::vector<int32_t>& corners = corner_list();
  const WALK_NODE* nodes = queue_nodes();
  size_t next = 1;
  int32_t x = sx, y = sy;
  while (next < corners.size()) {
    const size_t aim = farthest_visible(g, x / g->cell_width, y / g->cell_height, next);
    const int32_t acx = nodes[corners[aim]].x, acy = nodes[corners[aim]].y;
    const int32_t ax = centre_x(g, acx), ay = centre_y(g, acy);
    while (x / g->cell_width != acx || y / g->cell_height != acy) {
      int32_t nx = ax, ny = ay, fx = 0, fy = 0;
      if (walk_step_towards(x, y, &nx, &ny, &fx, &fy, step, const_cast<WALK_GRID*>(g)) < 0) return;
      if (!pixel_free(g, nx, ny)) return;
      const int64_t before = int64_t{ax - x} * (ax - x) + int64_t{ay - y} * (ay - y);
      const int64_t after = int64_t{ax - nx} * (ax - nx) + int64_t{ay - ny} * (ay - ny);
      if (after >= before || w->count >= WALK_MAX_WAYPOINTS) return;
      append_if_free(g, w, nx, ny);
      x = nx;
      y = ny;
    }
    next = aim + 1;
  }
  const WALK_NODE& goal = nodes[corners.back()];
  if (w->count < WALK_MAX_WAYPOINTS) append_if_free(g, w, centre_x(g, goal.x), centre_y(g, goal.y));
}

}  // namespace

int32_t walk_line_clear(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const WALK_GRID* grid) {
  if (!usable(grid)) return -1;
  const bool major_x = std::abs(x1 - x0) >= std::abs(y1 - y0);
  if ((major_x && x0 > x1) || (!major_x && y0 > y1)) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  if (!in_grid(grid, x0, y0)) return -1;
  const int32_t major = major_x ? x1 - x0 : y1 - y0;
  const int32_t minor = major_x ? std::abs(y1 - y0) : std::abs(x1 - x0);
  const int32_t minor_sign = major_x ? sign(y1 - y0) : sign(x1 - x0);
  double acc = 0.5;
  int32_t minor_steps = 0, x = x0, y = y0;
  for (int32_t i = 0; i <= major; ++i) {
    if (!in_grid(grid, x, y)) return 0;
    if (cell_at(grid, x, y) & WALK_BLOCKED) return -1;
    if (major > 0) acc += static_cast<double>(minor) / major;
    const bool minor_move = static_cast<int32_t>(acc) > minor_steps;
    if (minor_move) ++minor_steps;
    if (major_x) {
      ++x;
      if (minor_move) y += minor_sign;
    } else {
      ++y;
      if (minor_move) x += minor_sign;
    }
  }
  return 0;
}

int32_t walk_step_towards(int32_t sx, int32_t sy, int32_t* tx, int32_t* ty, int32_t* fx,
                          int32_t* fy, int32_t step, WALK_GRID* grid) {
  if (!usable(grid) || sx < 0 || sy < 0) return -2;
  const int32_t scx = sx / grid->cell_width, scy = sy / grid->cell_height;
  if (!in_border(grid, scx, scy) || (cell_at(grid, scx, scy) & WALK_BLOCKED)) return -2;
  int32_t tcx = *tx < 0 ? 0 : *tx / grid->cell_width, tcy = *ty < 0 ? 0 : *ty / grid->cell_height;
  int32_t far_cx = 0, far_cy = 0;
  const int32_t found = greedy_far_cell(grid, scx, scy, &tcx, &tcy, &far_cx, &far_cy);
  if (found == 0) return 0;
  *fx = centre_x(grid, far_cx);
  *fy = centre_y(grid, far_cy);
  if (next_point_towards(sx, sy, *fx, *fy, step, grid, tx, ty) < 0) return -1;
  if (cell_at(grid, tcx, tcy) & WALK_BLOCKED) return 1;
  return found;
}

int32_t path_find(int32_t sx, int32_t sy, int32_t* gx, int32_t* gy, int32_t* fx, int32_t* fy,
                  int32_t step, WALK_GRID* grid, WAYPOINT_ARRAY* waypoints) {
  int32_t tx = *gx, ty = *gy;
  const int32_t first = walk_step_towards(sx, sy, &tx, &ty, fx, fy, step, grid);
  if (first == -2) {
    // The outer ring's 0xC0 is no wall: a start standing there is kept as the one waypoint.
    if (usable(grid) && sx >= 0 && sy >= 0) {
      const int32_t cx = sx / grid->cell_width, cy = sy / grid->cell_height;
      if (in_grid(grid, cx, cy) && (!in_border(grid, cx, cy) || !(cell_at(grid, cx, cy) & WALK_BLOCKED))) {
        waypoint_array_insert(waypoints, waypoints->count,
                              WAYPOINT{static_cast<uint16_t>(sx), static_cast<uint16_t>(sy), 0});
      }
    }
    return -2;
  }
  const int32_t cw = grid->cell_width, ch = grid->cell_height;
  const int32_t scx = sx / cw, scy = sy / ch;
  if (*gx >= 0 && *gy >= 0 && *gx / cw == scx && *gy / ch == scy) {
    append_if_free(grid, waypoints, *gx, *gy);
    return 0;
  }
  const int32_t gcx = clamp_cell(*gx < 0 ? 0 : *gx / cw, grid->width);
  const int32_t gcy = clamp_cell(*gy < 0 ? 0 : *gy / ch, grid->height);
  if (cell_at(grid, gcx, gcy) & WALK_BLOCKED) {
    *gx = tx;
    *gy = ty;
    append_if_free(grid, waypoints, sx, sy);
    return first;
  }
  int32_t queued = 0;
  const int32_t goal_node = goal_search(grid, scx, scy, gcx, gcy, &queued);
  clear_queued(grid, queued, WALK_CLOSED);
  if (goal_node < 0) {
    *gx = sx;
    *gy = sy;
    append_if_free(grid, waypoints, sx, sy);
    return 0;
  }
  collect_corners(goal_node);
  build_route(grid, sx, sy, step, waypoints);
  return 0;
}

void walk_find_free_cell(int32_t* x, int32_t* y, WALK_GRID* grid) {
  if (!usable(grid) || grid->width < 3 || grid->height < 3) return;
  const int32_t cx = clamp_cell(*x < 0 ? 0 : *x / grid->cell_width, grid->width);
  const int32_t cy = clamp_cell(*y < 0 ? 0 : *y / grid->cell_height, grid->height);
  if (!(cell_at(grid, cx, cy) & WALK_BLOCKED)) return;
  WALK_NODE* nodes = queue_nodes();
  nodes[0] = WALK_NODE{cx, cy, -1, -1};
  cell_at(grid, cx, cy) |= WALK_VISITED;
  int32_t n = 1;
  bool found = false;
  int32_t free_x = 0, free_y = 0;
  for (int32_t head = 0; head < n && !found && n < WALK_QUEUE_NODES; ++head) {
    for (int32_t d = 0; d < 8; ++d) {
      const int32_t nx = nodes[head].x + kFloodDx[d], ny = nodes[head].y + kFloodDy[d];
      if (!in_border(grid, nx, ny)) continue;
      uint8_t& c = cell_at(grid, nx, ny);
      if (!(c & WALK_BLOCKED)) {
        found = true;
        free_x = nx;
        free_y = ny;
        break;
      }
      if (c & WALK_VISITED) continue;
      if (n >= WALK_QUEUE_NODES) break;
      c |= WALK_VISITED;
      nodes[n++] = WALK_NODE{nx, ny, d, head};
    }
  }
  clear_queued(grid, n, WALK_VISITED);
  if (found) {
    *x = centre_x(grid, free_x);
    *y = centre_y(grid, free_y);
  }
}

int32_t walk_server_step(int32_t x, int32_t y, int32_t* tx, int32_t* ty, int32_t* fx, int32_t* fy,
                         int32_t step, WALK_GRID* grid) {
  int32_t nx = *tx, ny = *ty;
  const int32_t first = walk_step_towards(x, y, &nx, &ny, fx, fy, step, grid);
  if (first == -2) return -2;
  if (first == 1) {
    *tx = nx;
    *ty = ny;
    return 1;
  }
  const int32_t scx = x / grid->cell_width, scy = y / grid->cell_height;
  const int32_t tcx = clamp_cell(*tx < 0 ? 0 : *tx / grid->cell_width, grid->width);
  const int32_t tcy = clamp_cell(*ty < 0 ? 0 : *ty / grid->cell_height, grid->height);
  if (tcx == scx && tcy == scy) return 0;
  if (cell_at(grid, tcx, tcy) & WALK_BLOCKED) {
    *tx = nx;
    *ty = ny;
    return first;
  }
  int32_t queued = 0;
  const int32_t goal_node = goal_search(grid, scx, scy, tcx, tcy, &queued);
  clear_queued(grid, queued, WALK_CLOSED);
  if (goal_node < 0) {
    *tx = nx;
    *ty = ny;
    return first;
  }
  collect_corners(goal_node);
  const WALK_NODE* nodes = queue_nodes();
  const size_t k = farthest_visible(grid, scx, scy, corner_list().size() > 1 ? 1 : 0);
  const WALK_NODE& far = nodes[corner_list()[k]];
  *fx = centre_x(grid, far.x);
  *fy = centre_y(grid, far.y);
  return next_point_towards(x, y, *fx, *fy, step, grid, tx, ty) < 0 ? -1 : 1;
}

void waypoint_array_grow(WAYPOINT_ARRAY* array, int32_t extra) { array->grow(extra); }

int32_t waypoint_array_insert(WAYPOINT_ARRAY* array, int32_t index, const WAYPOINT& waypoint) {
  if (array->count >= WALK_MAX_WAYPOINTS) return -1;
  return array->insert(index, waypoint);
}

#include "world/scene/scene_free_point.h"

#include <utility>

#include "world/map/map_data.h"
#include "plat/crt.h"
#include "world/map/map_cells.h"

namespace {

constexpr int32_t kRingStep = 50, kRings = 4;
constexpr int32_t kDirX[8] = {0, 0, 1, -1, -1, 1, 1, -1};
constexpr int32_t kDirY[8] = {1, -1, 0, 0, 1, -1, 1, -1};

// Inside the map's usable area (a margin of 16 across and 8 down) and not on a blocked cell.
bool point_free(int32_t x, int32_t y) {
  const int32_t cw = map_record.display.cell_width, ch = map_record.display.cell_height;
  if (cw <= 0 || ch <= 0) return false;
  if (x < 0 || y < 0 || x >= map_record.display.map_width - 16 || y >= map_record.map_height - 8) return false;
  return map_cell_is_blocked(x / cw, y / ch) != 0;
}

int32_t clamp(int32_t v, int32_t high) { return v > high ? high : (v < 0 ? 0 : v); }

}  // namespace

int32_t scene_find_free_point_near(int32_t x, int32_t y, int32_t* out_x, int32_t* out_y) {
  int32_t px[kRings * 8], py[kRings * 8];
  for (int32_t ring = 0; ring < kRings; ++ring) {
    int32_t order[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int32_t i = 0; i < 8; ++i) std::swap(order[i], order[plat::crt_rand() % 8]);
    const int32_t d = kRingStep * (ring + 1);
    for (int32_t dir = 0; dir < 8; ++dir) {
      px[ring * 8 + order[dir]] = x + kDirX[dir] * d;
      py[ring * 8 + order[dir]] = y + kDirY[dir] * d;
    }
  }
  for (int32_t i = 0; i < kRings * 8; ++i) {
    if (point_free(px[i], py[i])) {
      *out_x = px[i];
      *out_y = py[i];
      return 0;
    }
  }
  *out_x = x;
  *out_y = y;
  return -2;
}

void scene_find_free_point_dir(int32_t x, int32_t y, int32_t distance, int32_t direction, int32_t* out_x,
                               int32_t* out_y) {
  const int32_t d = direction >= 0 && direction < 8 ? direction : 0;
  const int32_t cx = clamp(x + kDirX[d] * distance, map_record.display.map_width - 16);
  const int32_t cy = clamp(y + kDirY[d] * distance, map_record.map_height - 8);
  if (point_free(cx, cy)) {
    *out_x = cx;
    *out_y = cy;
    return;
  }
  if (scene_find_free_point_near(cx, cy, out_x, out_y) != 0) {
    *out_x = x;
    *out_y = y;
  }
}

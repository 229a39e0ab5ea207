#include "world/map/map_cells.h"

#include "core/reset/module_resets.h"
#include "world/map/map_data.h"

std::vector<int32_t> map_image_hits;

namespace {

// The cell's bits; false outside the map or without cells.
bool cell_at(int32_t cx, int32_t cy, uint16_t* bits) {
  if (cx < 0 || cy < 0 || cx >= map_record.cells_across || cy >= map_record.cells_down) return false;
  const size_t i = static_cast<size_t>(cy) * static_cast<size_t>(map_record.cells_across) + static_cast<size_t>(cx);
  if (i >= map_record.cells.size()) return false;
  *bits = map_record.cells[i];
  return true;
}

int32_t cell_has(int32_t cx, int32_t cy, uint16_t bit) {
  uint16_t bits = 0;
  return cell_at(cx, cy, &bits) && (bits & bit) ? 0 : -2;
}

}  // namespace

int32_t map_cell_is_blocked(int32_t cx, int32_t cy) { return cell_has(cx, cy, MAP_CELL_BLOCKED); }
int32_t map_cell_test_2000(int32_t cx, int32_t cy) { return cell_has(cx, cy, MAP_CELL_WANDER); }
int32_t map_cell_test_1000(int32_t cx, int32_t cy) { return cell_has(cx, cy, MAP_CELL_SHADED); }

int32_t map_images_hit(int32_t x, int32_t y, int32_t w, int32_t h) {
  map_image_hits.clear();
  if (map_record.images.size() < 2) return -2;
  const int64_t right = int64_t{x} + w, bottom = int64_t{y} + h;
  for (size_t i = 1; i < map_record.images.size(); ++i) {
    const MAP_IMAGE& im = map_record.images[i];
    if (im.flags != MAP_IMAGE_LAYERED && im.flags != MAP_IMAGE_FRONT) continue;
    const int64_t il = im.left, it = im.top, ir = il + im.width, ib = it + im.height;
    if (right < il || x > ir || bottom < it || y > ib) continue;
    if (im.flags == MAP_IMAGE_LAYERED && bottom >= it + im.anchor_y) continue;
    map_image_hits.push_back(static_cast<int32_t>(i));
  }
  return map_image_hits.empty() ? -2 : 0;
}

static const ModuleReset k_reset("map image hits", [] { std::vector<int32_t>().swap(map_image_hits); });

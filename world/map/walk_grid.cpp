#include "world/map/walk_grid.h"

#include <cstdlib>
#include <cstring>

#include "core/reset/module_resets.h"

WALK_GRID scene_walk_grid = {};
static bool fail_next_alloc = false;

void walk_grid_fail_next_alloc() { fail_next_alloc = true; }

int32_t walk_grid_create(WALK_GRID* grid, int32_t across, int32_t down, int32_t cell_width,
                         int32_t cell_height, const uint16_t* map_cells) {
  *grid = WALK_GRID{};
  if (across < 0 || down < 0) return -2;
  const size_t count = static_cast<size_t>(across) * static_cast<size_t>(down);
  const bool fail = fail_next_alloc;
  fail_next_alloc = false;
  uint8_t* cells = fail ? nullptr : static_cast<uint8_t*>(std::calloc(count ? count : 1, 1));
  if (!cells) return -2;
  for (size_t i = 0; i < count; ++i) {
    if (map_cells && (map_cells[i] & 0x8000)) cells[i] = WALK_BLOCKED;
  }
  *grid = WALK_GRID{across, down, cell_width, cell_height, cells};
  walk_grid_reset_border(grid);
  return 0;
}

void walk_grid_free(WALK_GRID* grid) {
  std::free(grid->cells);
  *grid = WALK_GRID{};
}

void walk_grid_reset_border(WALK_GRID* grid) {
  if (!grid->cells) return;
  const int32_t w = grid->width, h = grid->height;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = grid->cells + static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int32_t x = 0; x < w; ++x) {
      if (y == 0 || y == h - 1 || x == 0 || x == w - 1) {
        row[x] = WALK_CLOSED;
      } else {
        row[x] &= static_cast<uint8_t>(~WALK_VISITED);
      }
    }
  }
}

static const ModuleReset k_reset("walk grid", [] {
  walk_grid_free(&scene_walk_grid);
  fail_next_alloc = false;
});

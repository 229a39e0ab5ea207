// The walk grid: one byte per map cell that the path search marks as it goes.
#pragma once
#include <cstdint>

enum WALK_CELL_BIT : uint8_t {
  WALK_BLOCKED = 0x80,
  WALK_VISITED = 0x40,  // only during a search; 0xC0 means blocked or already queued
  WALK_CLOSED = 0xC0,
};

struct WALK_GRID {
  int32_t width, height;            // in cells
  int32_t cell_width, cell_height;  // in pixels
  uint8_t* cells;                   // width x height, row after row; null when none
};

// The current map's grid (the loader replaces it with each map).
extern WALK_GRID scene_walk_grid;

// Allocates width x height zeroed cells, 0x80 where the map cell has 0x8000, then resets the
// border: 0, or -2 when the memory cannot be had (the grid is left empty). The grid's old cells
// are not freed: free them first.
int32_t walk_grid_create(WALK_GRID* grid, int32_t across, int32_t down, int32_t cell_width,
                         int32_t cell_height, const uint16_t* map_cells);
// Frees the cells and zeroes the four sizes.
void walk_grid_free(WALK_GRID* grid);
// The outer ring of cells becomes 0xC0; every inner cell loses 0x40.
void walk_grid_reset_border(WALK_GRID* grid);

// Tests: the next walk_grid_create finds no memory.
void walk_grid_fail_next_alloc();

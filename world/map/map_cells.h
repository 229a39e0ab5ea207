// Questions other parts of the scene ask of the loaded map's cells and layered images.
#pragma once
#include <cstdint>
#include <vector>

// 0 when the cell has the blocked bit, else -2 (also outside the map).
int32_t map_cell_is_blocked(int32_t cx, int32_t cy);
// 0 when the cell is in the wander area, -2 when not, outside the map or without cells.
int32_t map_cell_test_2000(int32_t cx, int32_t cy);
// 0 when the cell is shaded, -2 when not, outside the map or without cells.
int32_t map_cell_test_1000(int32_t cx, int32_t cy);

// Indexes of the layered images in front of the rectangle that map_images_hit last tested.
extern std::vector<int32_t> map_image_hits;
// 0 when a layered image (1 and up) covers the rectangle (x, y, w, h) in map pixels, else -2;
// the images are left in map_image_hits. A 0x40 image counts only while y + h lies above its
// anchor line; edges that touch count as covering.
int32_t map_images_hit(int32_t x, int32_t y, int32_t w, int32_t h);

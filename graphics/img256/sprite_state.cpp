#include "graphics/img256/sprite_state.h"

#include <cstring>

#include "world/scene/scene_masks.h"

SPRITE_DRAW_STATE sprite_draw_state = {};
uint8_t sprite_occlusion_map[OCCLUSION_HEIGHT][OCCLUSION_WIDTH] = {};

void sprite_occlusion_clear() { std::memset(sprite_occlusion_map, 0, sizeof(sprite_occlusion_map)); }

void sprite_draw_state_reset() {
  sprite_draw_state = SPRITE_DRAW_STATE{};
  sprite_occlusion_clear();
}

int mask_hit_test(int32_t map_x, int32_t map_y) {
  const SCENE_MASK_LIST& list = scene_mask_list;
  if (!list.order || !list.records) return -2;
  for (int32_t i = 0; i < list.count; ++i) {
    const int32_t index = list.order[i];
    if (index < 0 || index >= list.record_count) continue;
    const SCENE_MASK& m = list.records[index];
    if (!m.mask || m.width < 8 || m.height <= 0) continue;
    const int64_t dx = int64_t{map_x} - m.x, dy = int64_t{map_y} - m.y;
    // Rows hold width / 8 bytes: the last width % 8 pixels of a row have no bit.
    const int64_t row_bytes = m.width / 8;
    if (dx < 0 || dy < 0 || dx >= row_bytes * 8 || dy >= m.height) continue;
    if (m.mask[dy * row_bytes + dx / 8] & (0x80 >> (dx & 7))) return 0;
  }
  return -2;
}

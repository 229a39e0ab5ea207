#include "graphics/img256/sprite_state.h"

#include <cstring>
#include <iterator>

#include "graphics/img256/scene_masks.h"
#include "core/reset/module_resets.h"

SPRITE_DRAW_STATE sprite_draw_state = {};
uint8_t sprite_occlusion_map[OCCLUSION_HEIGHT][OCCLUSION_WIDTH] = {};

void sprite_occlusion_clear() { std::memset(sprite_occlusion_map, 0, sizeof(sprite_occlusion_map)); }

void sprite_draw_state_reset() {
  sprite_draw_state = SPRITE_DRAW_STATE{};
  sprite_occlusion_clear();
}

namespace {

// The record by itself: its rows hold width / 8 bytes, so the last width % 8 pixels of a row
// have no bit; a record without a mask hides nothing.
bool record_usable(const SCENE_MASK& m) { return m.mask && m.width >= 8 && m.height > 0; }

bool record_hit(const SCENE_MASK& m, int64_t map_x, int64_t map_y) {
  const int64_t dx = map_x - m.x, dy = map_y - m.y;
  const int64_t row_bytes = m.width / 8;
  if (dx < 0 || dy < 0 || dx >= row_bytes * 8 || dy >= m.height) return false;
  return (m.mask[dy * row_bytes + dx / 8] & (0x80 >> (dx & 7))) != 0;
}

template <class Visit>
void each_record(Visit visit) {
  const SCENE_MASK_LIST& list = scene_mask_list;
  if (!list.order || !list.records) return;
  for (int32_t i = 0; i < list.count; ++i) {
    const int32_t index = list.order[i];
    if (index < 0 || index >= list.record_count || !record_usable(list.records[index])) continue;
    if (!visit(list.records[index])) return;
  }
}

}  // namespace

int mask_hit_test(int32_t map_x, int32_t map_y) {
  bool hit = false;
  each_record([&](const SCENE_MASK& m) {
    hit = record_hit(m, map_x, map_y);
    return !hit;
  });
  return hit ? 0 : -2;
}

void mask_set_for_rect(MASK_SET* out, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  out->count = 0;
  out->all = false;
  each_record([&](const SCENE_MASK& m) {
    const int64_t mx1 = int64_t{m.x} + (m.width / 8) * 8, my1 = int64_t{m.y} + m.height;
    if (m.x >= x1 || m.y >= y1 || mx1 <= x0 || my1 <= y0) return true;
    if (out->count == static_cast<int32_t>(std::size(out->records))) {
      out->all = true;
      return false;
    }
    out->records[out->count++] = &m;
    return true;
  });
}

bool mask_set_hit(const MASK_SET& set, int64_t map_x, int64_t map_y) {
  if (set.all) return mask_hit_test(static_cast<int32_t>(map_x), static_cast<int32_t>(map_y)) == 0;
  for (int32_t i = 0; i < set.count; ++i) {
    if (record_hit(*set.records[i], map_x, map_y)) return true;
  }
  return false;
}

static const ModuleReset k_reset("sprite draw state", sprite_draw_state_reset);

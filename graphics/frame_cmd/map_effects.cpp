#include "graphics/frame_cmd/map_effects.h"

#include <new>

#include "core/reset/module_resets.h"

GrowArray<MAP_EFFECT*> map_effect_list;

int32_t map_effect_add(int32_t handle, int32_t counter, int32_t map_x, int32_t map_y, int32_t duration) {
  auto* record = new (std::nothrow) MAP_EFFECT{handle, counter, map_x, map_y, duration};
  if (!record) return -1;
  for (int32_t i = 0; i < map_effect_list.count; ++i) {
    if (!map_effect_list[i]) {
      map_effect_list[i] = record;
      return i;
    }
  }
  const int32_t slot = map_effect_list.append(record);
  if (slot < 0) delete record;
  return slot;
}

void map_effect_delete(int32_t slot) {
  if (slot < 0 || slot >= map_effect_list.count) return;
  delete map_effect_list[slot];
  map_effect_list[slot] = nullptr;
}

void map_effect_list_clear() {
  for (MAP_EFFECT* record : map_effect_list) delete record;
  map_effect_list.free();
}

static const ModuleReset k_reset("map effects", map_effect_list_clear);

// The map's one-shot effect animations: a list of record pointers (null = free slot). The scene
// adds records; the frame-command interpreter plays them each frame and deletes finished ones.
#pragma once
#include <cstdint>

#include "core/grow_array.h"

struct MAP_EFFECT {
  int32_t handle;    // media handle, -1 none
  int32_t counter;   // step counter; negative = frames of delay before the start
  int32_t map_x;
  int32_t map_y;
  int32_t duration;  // the scene's own length of the animation; not read by the player
};
static_assert(sizeof(MAP_EFFECT) == 20);

extern GrowArray<MAP_EFFECT*> map_effect_list;

// A new record in the first free slot (or a new one): its slot index, or -1 without memory.
int32_t map_effect_add(int32_t handle, int32_t counter, int32_t map_x, int32_t map_y, int32_t duration);
// Frees the record of a slot and marks the slot free; free or unknown slots are left alone.
void map_effect_delete(int32_t slot);
// Frees every record and empties the list.
void map_effect_list_clear();

// Ambient sounds: the map's kind-0 objects play their "EFC\\<name>" while the player stands
// within 1500 pixels, louder and more to one side as the player comes near.
#pragma once
#include <cstdint>

constexpr int32_t AMBIENT_REACH = 1500;
constexpr uint32_t AMBIENT_CHECK_MS = 40;

// Pan for an object dx pixels right of the player: 0 within 200, then in steps of 100 up to
// +-10000 (below 1 step centre, above 99 full).
int32_t ambient_pan(int32_t dx);
// Volume in hundredths of a decibel for a distance in pixels: 0 near, down to -3000.
int32_t ambient_distance_volume(int64_t distance);
// Each object at most every 40 ms: starts, re-levels or stops its sound.
void ambient_sounds_update();

struct MAP_OBJECT;
// True when the player is in the scene and within reach of the object.
bool scene_obj_in_earshot(const MAP_OBJECT& object);
// Every ambient sound within reach of the player loses its playing flag, so that the next check
// starts it again.
void scene_reset_near_map_objects();

// What the frame step reads of the map scene: the character lookup, the zoom level and the
// in-scene word. The scene sets the last two; until it is built they stay 0.
#pragma once
#include <cstdint>

// 0 to 14; each level shows 16 by 12 pixels less of the 800 x 600 scene, centred.
extern int32_t scene_zoom_level;
// Non-zero while the player is in a scene (set and cleared by the scene entry and leave).
extern int32_t scene_in_scene;

// The index of the scene character with that id, or -2.
int32_t scene_find_char(uint32_t id);

// Releases the scene characters' media and empties their table (start-up, the account input).
void scene_clear_chars();

// Loading a map file into the scene, the server's map change and freeing the map.
#pragma once
#include <cstdint>

// Loads the map file (e.g. "MAP\\MAP001.MAP") and places the view around the player's map pixel
// (x, y): 0, or -2 when the file cannot be opened, is not a map of this edition, is damaged or
// memory runs out. A failed load leaves the loaded map as it was.
int32_t map_load_file(const char* path, int32_t x, int32_t y);
// Loads the map of the last scene entry, then its music, the window title and the weather; a
// failure shows "Unable to load map file(%s)" and keeps the old map.
void map_change();
// Frees what the scene holds for the map (at the end of the game).
void scene_free_map();


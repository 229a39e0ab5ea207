// Loading a map file into the scene.
#pragma once
#include <cstdint>

// Loads the map (path "MAP\<file>") and places the view around the player's map pixel (x, y):
// 0, or -2 when the file cannot be read or is not a map of this edition.
int32_t map_load_file(const char* path, int32_t x, int32_t y);

// Until the loader is built the call is recorded and this result returned (0 at start); tests
// set it to see the callers' failure paths.
extern int32_t map_load_standin_result;

// The small picture of the current map (400 x 300) and its scale factors.
#pragma once
#include <cstdint>

struct BITMAP16;

constexpr int32_t SMALL_MAP_WIDTH = 400, SMALL_MAP_HEIGHT = 300;

struct SMALL_MAP {
  BITMAP16* bitmap;          // made on first build, freed by scene_free_map
  float sx, sy;              // picture pixels per map pixel
  float px, py;              // map pixels per picture pixel
  uint8_t from_first_file;   // the picture came from "system\\smallmap.mda"
};
extern SMALL_MAP small_map;

// Closes the windows that show the small map, then builds the picture for the loaded map from
// the small-map index of the last scene entry; an index without a picture keeps the fill colour.
void map_build_small_map();

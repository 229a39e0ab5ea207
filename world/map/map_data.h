// The map scene's bitmaps and lists that the start-up creates and map_control_free empties.
#pragma once
#include <cstdint>
#include <vector>

struct BITMAP16;

constexpr int MAP_LAYERS = 4;
constexpr int32_t MAP_LAYER_WIDTH = 801, MAP_LAYER_HEIGHT = 601;
constexpr int32_t MAP_CONTROL_WIDTH = 800, MAP_CONTROL_HEIGHT = 600;

// The four display values of the loaded map.
struct MAP_DISPLAY {
  int32_t cell_width;
  int32_t cell_height;
  int32_t map_width;
  int32_t head;  // kept from the map file's head; nothing reads it
};

// One map entry (36 bytes in the map file): its own buffer and where it sits.
struct MAP_ENTRY {
  std::vector<uint8_t> buffer;
  int32_t x, y, width, height;
};

// A placed map object; media is its media handle, -1 when it holds none.
struct MAP_OBJECT {
  int32_t media;
  int32_t x, y;
};

struct MAP_RECORD {
  MAP_DISPLAY display;
  std::vector<MAP_ENTRY> entries;
  std::vector<int32_t> cells;    // the ground cell list
  std::vector<int32_t> blocks;   // the walk block list
  int32_t cell_count;
  int32_t block_count;
  std::vector<MAP_OBJECT> objects;
};

extern MAP_RECORD map_record;
extern BITMAP16* map_layers[MAP_LAYERS];
extern BITMAP16* map_control_bitmap;
extern int32_t map_point_handle;  // "MDA\\point.mda", -1 until loaded

// Display values 16, 8, 600 and 0; every entry's buffer, the entry list, the two other lists
// and their counts freed; each object's media released, then the object list.
void map_control_free();

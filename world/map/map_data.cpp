#include "world/map/map_data.h"

#include "core/reset/module_resets.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/mda/mda.h"

MAP_RECORD map_record = {};
BITMAP16* map_layers[MAP_LAYERS] = {};
BITMAP16* map_control_bitmap = nullptr;
int32_t map_point_handle = -1;

void map_control_free() {
  map_record.display = MAP_DISPLAY{16, 8, 600, 0};
  std::vector<MAP_ENTRY>().swap(map_record.entries);
  std::vector<int32_t>().swap(map_record.cells);
  std::vector<int32_t>().swap(map_record.blocks);
  map_record.cell_count = 0;
  map_record.block_count = 0;
  for (MAP_OBJECT& o : map_record.objects) {
    if (o.media != -1) mda_object_release(&o.media);
  }
  std::vector<MAP_OBJECT>().swap(map_record.objects);
}

// Bitmaps go with the process state; media handles with the media table's own reset.
static const ModuleReset k_reset("map data", [] {
  for (BITMAP16*& b : map_layers) bitmap16_free(&b);
  bitmap16_free(&map_control_bitmap);
  map_point_handle = -1;
  map_record = MAP_RECORD{};
});

#include "world/map/map_data.h"

#include "core/reset/module_resets.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/mda/mda.h"

MAP_RECORD map_record = {};
BITMAP16* map_layers[MAP_LAYERS] = {};
BITMAP16* map_control_bitmap = nullptr;
int32_t map_point_handle = -1;

void map_pages_clear_edges() {
  for (MAP_PAGE_SLOT& s : map_record.pages) {
    s.left = s.top = s.right = s.bottom = MAP_PAGE_UNUSED;
  }
}

void map_control_free() {
  map_record.display = MAP_DISPLAY{16, 8, 600, 0};
  std::vector<MAP_IMAGE>().swap(map_record.images);
  std::vector<uint16_t>().swap(map_record.cells);
  std::vector<MAP_REGION>().swap(map_record.regions);
  for (MAP_OBJECT& o : map_record.objects) {
    if (o.look != -1) mda_object_release(&o.look);
  }
  std::vector<MAP_OBJECT>().swap(map_record.objects);
}

// Bitmaps go with the process state; media handles with the media table's own reset.
static const ModuleReset k_reset("map data", [] {
  for (BITMAP16*& b : map_layers) bitmap16_free(&b);
  bitmap16_free(&map_control_bitmap);
  for (MAP_PAGE_SLOT& s : map_record.pages) bitmap16_free(&s.bitmap);
  map_point_handle = -1;
  map_record = MAP_RECORD{};
  map_pages_clear_edges();
});

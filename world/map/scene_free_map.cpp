#include "engine/emote/emote_text.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/mda/mda.h"
#include "world/battle/battle_graphics.h"
#include "world/map/map_cells.h"
#include "world/map/map_data.h"
#include "world/map/map_load.h"
#include "world/map/map_scene_reset.h"
#include "world/map/small_map.h"
#include "world/map/walk_grid.h"

void scene_free_map() {
  bitmap16_free(&map_control_bitmap);
  // The walk-target sign goes only here: map changes keep the start-up's entry.
  const int32_t sign = mda_find_by_id(map_point_handle);
  if (sign >= 0) mda_table.entries.data[sign].release_flag = 1;
  map_release_flagged_effects();
  mda_object_release(&map_point_handle);
  map_control_free();
  for (MAP_PAGE_SLOT& s : map_record.pages) bitmap16_free(&s.bitmap);
  map_pages_clear_edges();
  bitmap16_free(&small_map.bitmap);
  std::vector<int32_t>().swap(map_image_hits);
  walk_grid_free(&scene_walk_grid);
  battle_free_graphics();
  if (emote_text) {
    emote_text->emote_text_release();
    delete emote_text;
    emote_text = nullptr;
  }
}

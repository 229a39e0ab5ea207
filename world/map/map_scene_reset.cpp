#include "world/map/map_scene_reset.h"

#include "client/sound/sound_front.h"
#include "graphics/mda/mda.h"
#include "world/scene/chat_bubbles.h"
#include "world/scene/extra_media.h"

void map_release_flagged_effects() {
  for (EXTRA_MEDIA_SLOT& slot : extra_media_slots) {
    for (int32_t& handle : slot.handles) {
      if (handle == -1) continue;
      const int32_t entry = mda_find_by_id(handle);
      if (entry >= 0 && mda_table.entries.data[entry].release_flag != 0) mda_object_release(&handle);
    }
  }
}

void map_scene_reset_effects() {
  map_release_flagged_effects();
  chat_bubbles_clear();
  sound_stop_all();
}

// The periodic re-examination of the other characters' looks.
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_frame.h"

void scene_reload_others() {
  scene_refresh_deadline = frame_input.frame_time + SCENE_REFRESH_NEXT_MS;
  // A look's message box runs frames whose handlers may add or remove characters: each one is
  // found again by id, none skipped when one before it goes.
  std::vector<uint32_t> ids;
  ids.reserve(static_cast<size_t>(scene_chars.count));
  for (const SCENE_CHAR& c : scene_chars) ids.push_back(c.id);
  for (const uint32_t id : ids) {
    const int32_t i = scene_find_char(id);
    if (i >= 0 && i != scene_player_slot()) scene_load_char_display(i);
  }
  mda_table_keep_used_entries();
}

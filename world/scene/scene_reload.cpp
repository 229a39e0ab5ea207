// The periodic re-examination of the other characters' looks.
#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_frame.h"

void scene_reload_others() {
  scene_refresh_deadline = frame_input.frame_time + SCENE_REFRESH_NEXT_MS;
  for (int32_t i = 0; i < scene_chars.count; ++i) {
    if (i == scene_player_slot()) continue;
    const uint32_t id = scene_chars[i].id;
    scene_load_char_display(i);
    // A look's message box runs frames whose handlers may add or remove characters.
    const int32_t now_at = scene_find_char(id);
    if (now_at >= 0) i = now_at;
  }
  mda_table_keep_used_entries();
}

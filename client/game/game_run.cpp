#include "client/game/game_run.h"

#include "client/game/task_table.h"
#include "client/settings/settings.h"
#include "client/sound/sound_front.h"
#include "client/state/mouse_cursor.h"
#include "engine/input/input.h"
#include "engine/input/input_cursor.h"
#include "items/item_def/item_bin.h"
#include "plat/platform.h"
#include "social/chat_debug/debug_flags.h"
#include "world/map/map_load.h"
#include "world/scene/scene_frame.h"

int game_run() {
  task_table_first_task(plat::environment().firstTask);
  debug_flags[DEBUG_FLAG_MODE] = 0;
  for (int i = DEBUG_FLAG_MODE + 1; i < DEBUG_FLAGS; ++i) debug_flags[i] = 1;
  mouse_cursors_load();
  input_set_mouse_pos(400, 300);
  input_show_cursor(1);
  plat::get().cursors().show(true);
  set_mouse_cursor(0);
  item_load_item_bin("config/item_bin.cfg");
  scene_load_scene_bin("config/scene.bin");

  task_current_row = 0;
  while (task_run_current() != TASK_SYSTEM_QUIT) {
  }
  input_show_cursor(1);
  settings_save();
  sound_stop_all();
  game_music_stop();
  scene_free_map();
  return 1;
}

#include "client/game/game_run.h"

#include "client/game/task_table.h"
#include "client/settings/settings.h"
#include "client/sound/sound_front.h"
#include "plat/platform.h"

int game_run() {
  task_table_first_task(plat::environment().firstTask);
  task_current_row = 0;
  while (task_run_current() != TASK_SYSTEM_QUIT) {
  }
  settings_save();
  sound_stop_all();
  game_music_stop();
  return 1;
}

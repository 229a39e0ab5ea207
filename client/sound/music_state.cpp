#include "client/sound/music_state.h"

#include "core/reset/module_resets.h"

char music_current_name[MUSIC_NAME_SIZE] = {};
uint32_t music_playing = 0;
uint32_t music_loop_flag = 0;
int32_t music_event_flag = 0;

void music_state_reset() {
  music_current_name[0] = '\0';
  music_playing = 0;
  music_loop_flag = 0;
  music_event_flag = 0;
}

static const ModuleReset k_reset("music", music_state_reset);

#include "client/game/game_main_state.h"

#include "core/reset/module_resets.h"

uint8_t scene_redraw_flag = 0;
uint8_t weather_display_flag = 0;
uint8_t first_entry_flag = 1;
uint32_t scene_refresh_deadline = 0;

static const ModuleReset k_reset("game main state", [] {
  scene_redraw_flag = 0;
  weather_display_flag = 0;
  first_entry_flag = 1;
  scene_refresh_deadline = 0;
});

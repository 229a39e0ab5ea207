#include "ui/game_screen/window_slots.h"

#include "core/reset/module_resets.h"

WINDOW_SLOTS window_slots = {};

void window_slots_reset() {
  for (int32_t& id : window_slots.ids) id = -1;
  window_slots.settings_hover = -1;
  window_slots.system_menu_hover = -1;
  window_slots.message_target = -1;
  window_slots.message_target_last = -1;
  window_slots.title_window_stored = -1;
}

static const ModuleReset k_reset("window slots", window_slots_reset);

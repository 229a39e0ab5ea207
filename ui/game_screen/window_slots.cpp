#include "ui/game_screen/window_slots.h"

#include "core/reset/module_resets.h"

namespace {

constexpr WINDOW_SLOTS all_closed() {
  WINDOW_SLOTS s{};
  for (int32_t& id : s.ids) id = -1;
  s.settings_hover = -1;
  s.system_menu_hover = -1;
  s.message_target = -1;
  s.message_target_last = -1;
  s.title_window_stored = -1;
  return s;
}

}  // namespace

// Closed from the start, before any reset runs: the window lists read the system-menu slot.
WINDOW_SLOTS window_slots = all_closed();

void window_slots_reset() { window_slots = all_closed(); }

static const ModuleReset k_reset("window slots", window_slots_reset);

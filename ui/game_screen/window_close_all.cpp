#include "ui/game_screen/window_close_all.h"

#include <vector>

#include "client/window/window_manager.h"
#include "ui/game_screen/window_slots.h"

void window_close_all() {
  for (uint8_t topmost = 0; topmost < 2; ++topmost) {
    // A copy of the ids: removing changes the list.
    std::vector<int32_t> ids;
    for (const WINDOW_ENTRY& e : window_list(topmost))
      if (!e.removed) ids.push_back(e.id);
    for (int32_t id : ids) window_remove(id, topmost);
  }
  window_slots_reset();
}

#include "world/scene/view_frames.h"

#include "core/reset/module_resets.h"

std::vector<VIEW_FRAME> view_frames;

int32_t view_frames_create(int32_t n) {
  if (n < 0) return -1;
  view_frames.assign(static_cast<size_t>(n), VIEW_FRAME{});
  return 0;
}

void view_frame_free_tables(VIEW_FRAME& frame) {
  for (std::vector<int32_t>& t : frame.tables) std::vector<int32_t>().swap(t);
}

static const ModuleReset k_reset("view frames", [] { view_frames.clear(); });

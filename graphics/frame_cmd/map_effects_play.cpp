// The map's effect list played once a frame.
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda.h"
#include "graphics/frame_cmd/map_effects.h"
#include "graphics/img256/scene_view_origin.h"

namespace {
constexpr int32_t kFinishedAfter = 1000;  // frames an off-screen effect is kept
}  // namespace

void mda_draw_effects() {
  for (int32_t i = 0; i < map_effect_list.count; ++i) {
    MAP_EFFECT* record = map_effect_list[i];
    if (!record || record->handle < 0) continue;
    const int64_t sx = int64_t{record->map_x} - scene_view_origin.x;
    const int64_t sy = int64_t{record->map_y} - scene_view_origin.y;
    const bool known = mda_find_by_id(record->handle) >= 0;
    if (!known) {
      map_effect_delete(i);
      continue;
    }
    if (sx < -20 || sx > 820 || sy < -20 || sy > 620) {
      if (++record->counter > kFinishedAfter) map_effect_delete(i);
      continue;
    }
    if (record->counter >= 0) {
      const int32_t result = mda_run_command(record->handle, "MainCommand0", static_cast<int32_t>(sx),
                                             static_cast<int32_t>(sy), screen_back, MDA_EXPLICIT_STEP | MDA_ADDITIVE,
                                             0, 0, record->counter);
      // A box inside the call may have changed the list: the record is used only if still there.
      if (i >= map_effect_list.count || map_effect_list[i] != record) continue;
      if (result == 3) {
        map_effect_delete(i);
        continue;
      }
    }
    ++record->counter;
  }
}

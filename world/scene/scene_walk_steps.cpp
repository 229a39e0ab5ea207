// Stand-ins of the movement steps until the character movement is built.
#include "world/scene/scene_walk_steps.h"

#include "core/reset/module_resets.h"

#include "world/scene/scene_chars.h"

namespace {

SceneStepObserver g_observer = nullptr;

int32_t seen(const char* op, int32_t index, int32_t result) {
  if (g_observer) g_observer(op, index, result);
  return result;
}

}  // namespace

void scene_set_step_observer(SceneStepObserver observer) { g_observer = observer; }

int32_t scene_walk_toward_target(int32_t index) {
  if (index >= 0 && index < scene_chars.count) {
    SCENE_CHAR& c = scene_chars[index];
    if (c.x != c.target_x || c.y != c.target_y) {
      c.x = c.target_x;
      c.y = c.target_y;
      if (c.posture == 2 || c.posture == 3) {
        c.posture = 0;
        scene_build_frame_tracks(index);
      }
    }
  }
  return seen("scene_walk_toward_target", index, 0);
}

int32_t scene_wander_step(int32_t index) { return seen("scene_wander_step", index, -2); }

int32_t scene_follow_owner_step(int32_t index) { return seen("scene_follow_owner_step", index, -2); }

static const ModuleReset k_reset("scene step observer", [] { g_observer = nullptr; });

// Stand-in camera until the battle drawing owns it: the whole field at 1:1 from (0, 0).
#include "world/battle/battle_camera.h"

#include "core/reset/module_resets.h"

BATTLE_CAMERA battle_camera = {};

int32_t battle_camera_scale_x() { return 1000; }
int32_t battle_camera_scale_y() { return 1000; }

int32_t battle_camera_screen_x(int32_t x) {
  return static_cast<int32_t>((int64_t{x} - battle_camera.origin_x) * battle_camera_scale_x() / 1000);
}
int32_t battle_camera_screen_y(int32_t y) {
  return static_cast<int32_t>((int64_t{y} - battle_camera.origin_y) * battle_camera_scale_y() / 1000);
}

static const ModuleReset k_reset("battle camera", [] { battle_camera = {}; });

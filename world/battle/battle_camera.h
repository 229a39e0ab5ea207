// The battle camera as the bubbles and other field drawing read it: the origin on the field and
// the current view's scale factors (per mille). Until the battle drawing keeps its view table
// and camera step, the origin is (0, 0) and both factors are 1000.
#pragma once
#include <cstdint>

struct BATTLE_CAMERA {
  int32_t view;  // index into the view table
  int32_t origin_x, origin_y;
};

extern BATTLE_CAMERA battle_camera;

int32_t battle_camera_scale_x();
int32_t battle_camera_scale_y();

// A field point on the screen: ((x - origin x) x scale x / 1000, likewise y).
int32_t battle_camera_screen_x(int32_t x);
int32_t battle_camera_screen_y(int32_t y);

// FRAME_INPUT: what the frame step samples once a frame, read by every screen.
#pragma once
#include <cstdint>

struct FRAME_INPUT {
  uint32_t frame_time;    // ms, taken after the pacing sleep
  uint32_t own_char_id;
  int32_t own_scene_index;
  int32_t raw_mouse_x, raw_mouse_y;
  int32_t mouse_x, mouse_y;  // after the scene zoom
  uint8_t event_code;
  uint8_t key_code;
  uint8_t scan_code;
  uint8_t alt_down;
  uint8_t ctrl_down;
  uint16_t elapsed_ticks;
  uint8_t tick_remainder;
};

extern FRAME_INPUT frame_input;

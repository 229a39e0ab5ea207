// The frame's input from the INPUT module.
#include "client/game/input_bridge.h"

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "engine/input/input.h"

void frame_input_sample() {
  // While replaying, the replay step of the previous frame wrote both positions.
  if (!replaying) input_get_mouse_pos(&frame_input.raw_mouse_x, &frame_input.raw_mouse_y);
  // The scene zoom mapping comes with the full frame step; until then the two are equal.
  frame_input.mouse_x = frame_input.raw_mouse_x;
  frame_input.mouse_y = frame_input.raw_mouse_y;
  frame_input.event_code = input_get_event_u8();
  frame_input.key_code = input_get_key_code();
  frame_input.scan_code = input_get_scan_code();
  frame_input.alt_down = input_alt_down() ? 1 : 0;
  frame_input.ctrl_down = input_ctrl_down() ? 1 : 0;
}

// What the front-end screens (account input, server select) share: hit boxes taken from a media
// command's first frame, the hover states, the blink flag word and the two main buttons with
// their markers and captions from Button.mda.
#pragma once
#include <cstdint>

struct BITMAP16;

// x1 and y1 exclusive.
struct FRONT_BOX {
  int32_t x0, y0, x1, y1;
  int32_t state;  // 0 idle, 1 pointer over it, 2 pointer over it with the button held
};
struct FRONT_POINT {
  int32_t x, y;
};

constexpr uint8_t FRONT_EVENT_HELD = 244;
constexpr uint8_t FRONT_EVENT_RELEASE = 245;
constexpr uint32_t FRONT_BLINK_MS = 40;
constexpr uint32_t FRONT_BLINK = 0x12;  // advance and loop
constexpr uint32_t FRONT_STILL = 0x10;  // loop only
constexpr uint32_t FRONT_EXPLICIT = 0x2;

// Plays the command's first step once off screen into screen_work: its frame's box and the point
// where the command must be drawn to show the frame there. False when it drew no picture.
bool front_command_frame(int32_t handle, const char* command, FRONT_BOX* box, FRONT_POINT* point);
// 0, or with (x, y) inside the box 2 when the event is FRONT_EVENT_HELD and 1 otherwise.
int32_t front_box_state(const FRONT_BOX& box, int32_t x, int32_t y, uint8_t event);
// Every command of the media file starts again at its first step (the hover animations).
void front_restart_steps(int32_t handle);
// FRONT_BLINK when at least 40 ms of frame time passed since *last (which then becomes now),
// else FRONT_STILL.
uint32_t front_blink_flags(uint32_t* last, uint32_t now);

// True while the main window is minimised (the screens then skip drawing).
bool front_minimised();

// One of the two main buttons (index 0 upper, 1 lower) in its state: the button's own command
// from art at its point, and Button.mda's marker and caption at the fixed anchors.
struct FRONT_MAIN_BUTTON {
  int32_t art;           // the screen's media handle
  const char* command;   // the button's command in it
  FRONT_POINT point;
};
void front_draw_main_button(int32_t button_file, const FRONT_MAIN_BUTTON& b, int32_t index, int32_t state,
                            uint32_t blink, BITMAP16* target);

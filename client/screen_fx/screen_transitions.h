// Screen transitions: a task draws the next screen into screen_new and calls one of these, which
// animates from the picture in screen_back to the new one, presenting each picture, and returns
// with screen_back holding the new screen. They assume the 800 x 600 screen bitmaps.
//
// Every present of a pass is followed by a sleep until one frame period (31 ms) has passed since
// it, so each pass is one game frame; no messages are pumped meanwhile.
#pragma once
#include <cstdint>

struct BITMAP16;

// A ragged wipe: each row's edge, a 255-pixel gradient, moves right 32 pixels a pass after a
// start delay of 0 to 3 passes.
void screen_transition_dissolve();
// A cross-fade: screen_new blended over the old screen at 0, step, 2 x step ... below 255.
void screen_transition_fade(int32_t step);
// The old screen shrinks away in nine passes, then the new one grows in over nine.
void screen_transition_zoom();
// One of the three by the millisecond clock modulo 3 (dissolve, zoom, fade 16); the argument is
// not used.
void screen_transition_random3(int32_t unused);
// One by rand() % 13: 0 and 2 dissolve, 1 zoom, 3 fade 8, 4 to 12 screen_transition_random3.
void screen_transition_random();

// Cross-fades from screen_saved to what screen_back holds at the call, the level rising by 15
// each time TIMER counter 0 exceeds speed. Nothing in the game calls it.
void gfx16_fade_screen(uint32_t speed);

// The colour the zoom fills around its rectangle (black).
extern uint16_t zoom_background_colour;

// ---- the passes, drawn without finishing or presenting (the benchmark times them) --------------

constexpr int32_t DISSOLVE_ROWS = 600;
constexpr int32_t DISSOLVE_DONE_EDGE = 1055;

struct DISSOLVE_ROW {
  int32_t delay;  // passes still to wait
  int32_t edge;   // the edge position E: pixel i gets level E - i
};

// Per row, in row order: the delay (rand() % 4), then the first edge (rand() % 2 + 1).
void dissolve_rows_init(DISSOLVE_ROW* rows);
// One pass: screen_saved copied to screen_back, then every row that no longer waits drawn from
// screen_new and moved on. Returns how many rows are done in this pass.
int32_t dissolve_pass(DISSOLVE_ROW* rows);
// One fade picture: screen_new blended over screen_back at the level.
void fade_pass(int32_t level);
// One zoom picture: screen_work filled with the background and the source scaled into the
// rectangle.
void zoom_pass(BITMAP16* source, int32_t x, int32_t y, int32_t w, int32_t h);

// In-game windows: rectangles with a draw and an input callback in two lists (normal and
// top-most), run once a frame by the screen loops. The tail of a list is the front window.
#pragma once
#include <cstdint>
#include <vector>

using WindowCallback = void (*)();

// One open window, linked into a circular list whose head is a sentinel entry.
struct WINDOW_ENTRY {
  WINDOW_ENTRY* next;
  WINDOW_ENTRY* prev;
  int32_t id;
  uint32_t user;  // bit 0: always takes the front when the list runs
  int32_t x0, y0, x1, y1;  // x1 and y1 exclusive
  WindowCallback draw;
  WindowCallback input;
  uint32_t state;  // kept for the opener
  bool removed;    // removed during a run; freed when the run ends
};

// Appends at the tail (in front) and hides the tooltip. Ids start at 10 and one counter serves
// both lists, since the window slots look ids up whatever their list.
int32_t window_add(int32_t x0, int32_t y0, int32_t x1, int32_t y1, WindowCallback draw, WindowCallback input,
                   uint32_t user, uint8_t topmost);
// The same on the normal list with the caller's id (the chat panel's 1).
int32_t window_add_plain(int32_t x0, int32_t y0, int32_t x1, int32_t y1, WindowCallback draw, WindowCallback input,
                         uint32_t user, int32_t id);
// 0, or -2 when the list has no such window. While a list runs the entry is only marked and
// freed at the run's end, since callbacks run frame steps whose handlers remove windows.
int32_t window_remove(int32_t id, uint8_t topmost);
void window_bring_to_front(int32_t id, uint8_t topmost);
// rect_out: x0, y0, x1, y1. 0, or -2 when absent.
int32_t window_get_rect(int32_t id, int32_t* rect_out, uint32_t* state_out, uint8_t topmost);
// Stores the state word and, when rect is given, the rectangle; nothing when absent.
void window_set_rect(int32_t id, const int32_t* rect, uint32_t state, uint8_t topmost);
// The first normal-list window from the head whose rectangle overlaps the given one, or -2.
int32_t window_hit_test(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// True while the normal list holds a window.
bool window_any_open();
// The normal list's sentinel, for code that walks the list itself (skip entries marked removed).
WINDOW_ENTRY* window_list_head();
// The per-frame run of one list: raise the window under a press, draw every window from back to
// front, hand the input to the front window when the mouse is over it, then close every window
// that asked for it.
void window_lists_run(uint8_t topmost);

// The id of the window whose callback runs; -1 outside callbacks.
extern int32_t window_current_id;
// The id that held the front after the last run.
extern int32_t window_front_id;
// A callback asks for its window (or another) to be closed at the end of the run. Every request
// of a run is honoured.
void window_request_close(int32_t id);
const std::vector<int32_t>& window_close_requests();

// Routing the typed input to the focused box once a run (the edit list), and giving the focus back
// to the chat line box when a window closes while no message entry window is open. Tests replace
// them.
extern void (*window_route_edit_input)();
extern void (*window_activate_chat_line)();

// The window being dragged and the grab offset (the game screen moves it each frame).
struct WINDOW_DRAG {
  int32_t id;
  uint8_t topmost;
  int32_t offset_x, offset_y;
};
extern WINDOW_DRAG window_drag;
void window_drag_start(int32_t id, uint8_t topmost, int32_t offset_x, int32_t offset_y);
// Per frame: moves the dragged window with the pointer. Does nothing until the game screen's drag
// lands.
void window_drag_update();

// The list as it stands, marked entries included (tests and the debug view). The vector is a
// copy, valid until the next call for the same list.
const std::vector<WINDOW_ENTRY>& window_list(uint8_t topmost);
// Tests only: both lists empty, the counter and run words back to the start.
void window_manager_reset();

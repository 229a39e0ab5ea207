// The INPUT module's cursors: 64 slots of system cursors with hot spots, the client-area cursor,
// and the software cursor drawn from cake frames into a frame before it is presented.
#pragma once
#include <cstdint>

#include "plat/cursor.h"

struct BITMAP16;
struct CAKE_NODE;

constexpr int INPUT_CURSOR_SLOTS = 64;
constexpr int INPUT_CURSOR_SAVE_SIZE = 64;  // the save-under bitmap is 64 x 64

// Shows the system cursor unless the module already did (the argument is ignored).
void input_show_cursor(int32_t ignored);
// For 0 <= slot < 64 other than the current slot: the slot's cursor becomes current.
void input_select_cursor(int32_t slot);
// The cursor shown while the pointer is over the client area.
void input_set_cursor_shape(plat::CursorId cursor);
// 0, or -1 outside 0..63.
int input_set_cursor_slot(int32_t slot, plat::CursorId cursor);
// Ignored outside 0..63.
void input_set_cursor_hotspot(int32_t slot, int32_t x, int32_t y);
// Loads a cake file's frames into a slot; 0, or -2 outside 0..63 or when the load fails.
int input_load_cursor_frames(int32_t slot, const char* path);
// A new list for the slot from up to count frames of the list whose head is given; 0, or -2
// outside 0..63 (or when no list can be made).
int input_copy_cursor_frames(int32_t slot, const CAKE_NODE* head, int32_t count);

// 64 empty frame lists and the save-under bitmap; -1 when the bitmap cannot be made.
int input_cursor_init();
void input_cursor_free();
// Draws the software cursor at the mouse position into the target (pitch in bytes), saving
// what it covers; only while the module's software-cursor flag is set.
void input_cursor_draw(uint16_t* pixels, int32_t pitch, int32_t width, int32_t height);
// The same at (x, y), whatever the flag (the play recorder's cursor).
void cursor_draw_into(int32_t x, int32_t y, uint16_t* pixels, int32_t pitch, int32_t width, int32_t height);
// Puts the saved pixels back into the target and forgets them.
void input_cursor_restore(BITMAP16* target);

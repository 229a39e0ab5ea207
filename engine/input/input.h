// INPUT engine module: the keyboard and mouse state that the main window's messages report, the
// characters typed since the last frame, waiting loops and the mouse cursor.
#pragma once
#include <cstdint>

#include "engine/input/input_cursor.h"
#include "engine/input/ime.h"

// ---- module hooks ---------------------------------------------------------------------------

int input_module_init();
void input_module_free();
void input_module_notify(uint32_t active);

// ---- keyboard -------------------------------------------------------------------------------

// Both key tables hold scan codes 0..88; codes from 89 on are not kept.
constexpr int INPUT_KEY_TABLE_SIZE = 89;
// Typed characters kept between two clears.
constexpr int INPUT_CHAR_QUEUE_SIZE = 100;

// A key's scan-code byte: bit 7 set for a release; 224 and 225 are prefixes.
void input_feed_scan_code(uint8_t code);
// Clears both key tables, the Escape latch and the prefix state.
void input_flush();
// The same, keeping Ctrl, Shift and Alt (A 29, 42, 54, 56; B 29, 56).
void input_clear_keys();
// 1 when any key of either table is down.
int input_any_key();

// Key tests: 1 when the key is down in table A or table B.
int input_arrow_up();
int input_arrow_down();
int input_arrow_left();
int input_arrow_right();
int input_insert_down();
int input_delete_down();
int input_home_down();
int input_end_down();
int input_page_up_down();
int input_page_down_down();
int input_enter_down();
int input_ctrl_down();
int input_alt_down();
// Scan code 42 or 54 in table A.
int input_shift_down();
// Table A alone.
int input_space_down();
int input_tab_down();
int input_backspace_down();
int input_left_ctrl_down();
int input_left_shift_down();
int input_right_shift_down();
int input_left_alt_down();
// Table B alone.
int input_right_ctrl_down();
int input_right_alt_down();

// The pressed key in console codes (arrows 72 80 75 77, Enter 13, Esc 27, F1-F10 59-68, F11
// 133, F12 134, ...); 0 when none of them is down.
uint8_t input_get_key_code();
// The pressed key in extended codes with Shift applied (arrows 200 208 203 205, Enter 141,
// Esc 155, F1-F12 187-198, characters, Backspace 8); 0 when none is down.
uint8_t input_get_scan_code();

// Typed characters of the window's character messages.
void input_add_char(uint8_t c);  // dropped when 100 are queued
void input_clear_chars();
uint8_t input_get_char(int32_t i);  // 0 outside 0..count-1
int32_t input_get_char_count();

// ---- waits (each pumps the window's messages while it waits) --------------------------------

// Until the input-wait tick counter, reset at the start, reaches n (10 ms ticks).
void input_wait_ticks(uint32_t n);
// Until input_get_scan_code gives code; the keys are flushed before and after every key.
void input_wait_key(uint8_t code);
// Until a key comes; returns its input_get_scan_code.
uint8_t input_wait_any_key();
// Until the code or n ticks; then flushes. Returns 1 when the code came, 0 on the ticks.
int input_wait_key_or_ticks(uint8_t code, uint32_t n);
void input_set_wait_start();
uint32_t input_wait_elapsed();  // ms since input_set_wait_start
void input_wait_since_start(uint32_t ms);
// Until the mouse event code has bit 7 set.
void input_wait_mouse_event();
// Until the mouse event code equals code.
void input_wait_event(uint8_t code);

// ---- mouse ----------------------------------------------------------------------------------

// The window procedure's filter: every message comes here first; 1 when it was taken.
int input_on_mouse_message(uint32_t message, uint32_t wParam, int32_t lParam);
void input_mouse_init();
void input_get_mouse_pos(int32_t* x, int32_t* y);
// Moves the pointer to a client point and stores it.
void input_set_mouse_pos(int32_t x, int32_t y);
// The last mouse event code as a signed byte; with none, -14 while the left button is held,
// -13 while the right one is, else 0.
int8_t input_get_event();
// The same as a byte (242, 243).
uint8_t input_get_event_u8();
// Shift and Ctrl flags of the last mouse message.
int input_shift_flag();
int input_ctrl_flag();
// Forgets the mouse event code and the wheel remainder; the button flags stay.
void input_clear_key();

// ---- the frame's debug line -----------------------------------------------------------------

// With VELDRA_DEBUG_OUT=1: when a key, mouse event or character came this frame, one line
// "input key=%d scan=%d event=%d x=%d y=%d chars=%s" through the debugger output. Returns 1
// when a line was written; the input stays for the screen to read.
int input_debug_line();
// input_debug_line; after a line the event and the typed characters are cleared.
int input_debug_frame();

// The INPUT module's state: one instance, in three records. Shared by the module's sources and
// read by tests.
#pragma once
#include <cstdint>

#include "engine/input/input.h"

struct RLE_IMAGE;

struct INPUT_KEYBOARD {
  uint8_t table_a[INPUT_KEY_TABLE_SIZE];  // scan codes 0..88, 1 = down
  uint8_t table_b[INPUT_KEY_TABLE_SIZE];  // the same behind the prefix 224
  uint16_t escape_latch;
  uint8_t prefix;                         // 0, 224 or 225
  uint8_t chars[INPUT_CHAR_QUEUE_SIZE];
  uint8_t char_count;
  uint8_t chars_told;  // of them, the ones the debug line already showed
  uint32_t wait_start;                    // ms of input_set_wait_start
};

struct INPUT_MOUSE {
  int32_t x, y;                 // client coordinates minus the offset
  int16_t offset_x, offset_y;   // always 0
  uint8_t cursor_flags;         // bit 0 system cursor shown, bit 1 software cursor drawn
  uint8_t event;                // the last mouse event code, 0 none
  int16_t current_slot;
  plat::CursorId current_cursor;
  plat::CursorId slots[INPUT_CURSOR_SLOTS];
  int32_t hot_x[INPUT_CURSOR_SLOTS];
  int32_t hot_y[INPUT_CURSOR_SLOTS];
  uint16_t button_flags;        // MK_ flags of the last mouse message
  int16_t wheel_remainder;
  int32_t in_client;
  plat::CursorId client_cursor;
  int32_t screen_x, screen_y;   // the last wheel or non-client point
};

using InputRleDrawFn = void (*)(int32_t x, int32_t y, const RLE_IMAGE* image, uint16_t* pixels, int32_t pitch,
                                int32_t width, int32_t height);

struct INPUT_SOFT_CURSOR {
  CAKE_NODE* lists[INPUT_CURSOR_SLOTS];
  CAKE_NODE* current[INPUT_CURSOR_SLOTS];
  BITMAP16* save_under;
  int32_t save_left, save_top, save_right, save_bottom;
  InputRleDrawFn rle_draw;      // rle_draw_to_pixels; tests put a fake here
};

struct INPUT_STATE {
  INPUT_KEYBOARD keys;
  INPUT_MOUSE mouse;
  INPUT_SOFT_CURSOR cursor;
};

INPUT_STATE& input_state();
// Tests only: frees the software cursor and returns every record to zero (the IME flags too).
void input_module_reset();

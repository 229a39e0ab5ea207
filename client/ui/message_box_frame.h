// Work shared by the modal boxes: the saved screen, the translucent fill, the present and the
// input that closes a box.
#pragma once
#include <cstdint>

struct BITMAP16;

// The whole back bitmap into the saved-screen bitmap, and back.
void message_box_save_screen();
void message_box_restore_screen();
// The installed translucent fill (the plain routine before DRAW installs its set).
void message_box_fill(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, int level);
// The back bitmap on the screen through DRAW's present slot.
void message_box_present();
// A click (event 245 or 248) or Enter, Esc or Space closes a modal box: takes that input off the
// frame, clears the held keys either way and says whether the box closes.
bool message_box_take_dismiss();

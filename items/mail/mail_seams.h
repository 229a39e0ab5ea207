// Item and mail calls the edit boxes and windows make before the item windows are built.
#pragma once
#include <cstdint>

struct BITMAP16;

// The icon of the item being dragged; draws nothing until the item windows are built.
void item_draw_drag_icon(BITMAP16* target);
// Asks the server whether the mail addressee exists; sends nothing yet, only counts the calls.
void mail_check_addressee();
int32_t mail_check_addressee_calls();

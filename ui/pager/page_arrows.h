// The previous/next page buttons of the item pickers: drawn from the interface media file, they
// move the bag's current page.
#pragma once
#include <cstdint>

// The interface media file and the frames of the two arrows ("MainCommand<frame>"; frame + 1 is
// the pressed picture). The game screen sets them; until then the handle is -1 and nothing draws.
extern int32_t page_arrow_media;
extern int32_t page_arrow_prev_frame;
extern int32_t page_arrow_next_frame;

// Draws the previous button at (x + dx1, y + dy1) and the next one at (x + dx2, y + dy2) into the
// back buffer and moves the bag page on a click (mouse event 245 inside a button's 21 x 21 box).
void pager_draw_arrows(int32_t x, int32_t y, int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2);

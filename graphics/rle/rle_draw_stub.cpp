// Stand-in until the RLE images are built: draws nothing.
#include "graphics/rle/rle.h"

void rle_draw(int32_t, int32_t, const RLE_IMAGE*, BITMAP16*) {}

void rle_draw_to_pixels(int32_t, int32_t, const RLE_IMAGE*, uint16_t*, int32_t, int32_t, int32_t) {}

// RLE images: 16-bit sprites stored as runs (cake frames, the software cursor).
#pragma once
#include <cstdint>

struct BITMAP16;
struct RLE_IMAGE;

// Draws the image's top-left pixel at (x, y) of target, clipped to it.
void rle_draw(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);

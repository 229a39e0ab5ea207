// RLE images: 16-bit sprites stored as runs (cake frames, the software cursor).
#pragma once
#include <cstdint>

struct BITMAP16;

// One allocation: this head, one row pointer per row, then the run stream.
struct RLE_IMAGE {
  uint32_t width;
  uint32_t height;
  uint32_t stream_size;
  uint8_t* rows[];  // row i: its first run in the stream
};

// Draws the image's top-left pixel at (x, y) of target, clipped to it.
void rle_draw(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);

// The same walk onto raw 16-bit pixels (pitch in bytes), clipped to width x height; the
// software cursor draws with it.
void rle_draw_to_pixels(int32_t x, int32_t y, const RLE_IMAGE* image, uint16_t* pixels, int32_t pitch, int32_t width,
                        int32_t height);

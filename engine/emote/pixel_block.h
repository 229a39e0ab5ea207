// 24-bit pixel blocks: one zeroed allocation holding the header, one pointer per row and the
// B,G,R rows. The emote pictures are rendered into one; window back buffers are given as one.
#pragma once
#include <cstdint>

#include "plat/canvas24.h"

struct PIXEL_BLOCK24 {
  int32_t width;
  int32_t height;
  int32_t stride;    // width rounded up to 4, times 3
  uint8_t* rows[];   // height row pointers; the pixels follow the last one
};

constexpr int32_t PIXEL_BLOCK24_MAX_SIZE = 16384;

// Null for a size out of range or when the allocation fails.
PIXEL_BLOCK24* pixel_block_alloc(int32_t width, int32_t height);
// Frees a non-null block and clears the holder.
void pixel_block_free(PIXEL_BLOCK24** holder);
plat::Pixels24View pixel_block_view(const PIXEL_BLOCK24* block);

// d + (c - d) x f / 255 per channel, truncated toward zero (f 0..255).
inline uint8_t colour_blend(uint8_t d, uint8_t c, int f) {
  return static_cast<uint8_t>(d + (int{c} - int{d}) * f / 255);
}

// Tests only: the n-th block allocation from now fails (0: none fails).
void pixel_block_fail_at(int n);

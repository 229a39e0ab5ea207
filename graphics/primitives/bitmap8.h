// 8-bit bitmaps (the cake reader's palette pictures): width, height, one row pointer per row,
// then the rows of width rounded up to 4 bytes, all in one zeroed block.
#pragma once
#include <cstdint>

struct BITMAP8 {
  uint32_t width;
  uint32_t height;
  uint8_t* rows[];
};

// Null when a size is negative or above 16384, or when memory runs out.
BITMAP8* bitmap8_create(int32_t width, int32_t height);
// Frees the holder's bitmap (if any) and sets the holder to null.
void bitmap8_free(BITMAP8** holder);
// Zeroes every row (the rounded width); null ignored.
void bitmap8_clear(BITMAP8* bitmap);
// Sets destination's width to width rounded up to 4 and its height to height, then copies that
// block of source at (x, y) into its top-left corner; parts outside either bitmap are left
// alone. Returns the rounded width, or 0 when the destination cannot hold the block.
int32_t bitmap8_copy_rect(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP8* destination,
                          const BITMAP8* source);
// Bytes from one row to the next.
inline uint32_t bitmap8_stride(const BITMAP8* bitmap) { return (bitmap->width + 3) & ~3u; }

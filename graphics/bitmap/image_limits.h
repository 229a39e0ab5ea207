// Largest pictures the BMP and JPEG readers accept. A header above these is refused before
// anything is allocated for its pixels: a few bytes of file could otherwise ask for gigabytes.
#pragma once
#include <cstdint>

#include "graphics/bitmap/bitmap16.h"

// Widths and heights above this are refused by both readers.
constexpr int32_t IMAGE_MAX_SIDE = 16384;
// A JPEG above this many pixels is refused even when both sides fit (192 MB of 24-bit rows).
constexpr int64_t IMAGE_MAX_PIXELS = int64_t{64} * 1024 * 1024;

static_assert(IMAGE_MAX_SIDE <= BITMAP16_MAX_SIZE, "a picture of the largest side must fit a bitmap");

// Both sides in 1..IMAGE_MAX_SIDE.
constexpr bool image_sides_ok(int32_t width, int32_t height) {
  return width > 0 && height > 0 && width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE;
}

// Both sides and the pixel count within the limits.
constexpr bool image_size_ok(int32_t width, int32_t height) {
  return image_sides_ok(width, height) && int64_t{width} * height <= IMAGE_MAX_PIXELS;
}

// JPEG pictures of the screens: the two calls on the codec (header, region decode), the file
// loader and the 24-bit to 16-bit converters. The codec is reached through the module
// "jcodec15.dll" (ordinals 2 init, 3 free, 4 read); without it every codec call gives 1.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/bitmap/bitmap16.h"

// Bytes of one decoded 24-bit row: 3 x width rounded up to 4.
constexpr size_t rgb24_stride(int32_t width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

// 0 with the image's width, height and channels (any out pointer may be null); 1 when the codec
// fails or is missing; 3 when data is null.
int jpeg_read_info(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int32_t* channels);

// Decodes the region (x, y, width, height) into rows of B,G,R (or four-channel) pixels, each
// row padded to 4 bytes; *out_size receives the buffer's size. With *buffer null the buffer is
// allocated (std::calloc) and stored there; it is the caller's to free (std::free), on failure
// too. 0 success; 1 codec failure or an image above the limits of image_limits.h (refused before
// anything is allocated); 2 region outside the image or empty; 3 data null; 4 no memory.
int jpeg_decode(const uint8_t* data, size_t size, int32_t x, int32_t y, int32_t width, int32_t height,
                uint8_t** buffer, size_t* out_size);

// Decodes the region of the file into target's rows from (0, 0): 0, or -2 after a log line,
// the target untouched. An image above the limits of image_limits.h is a file check error.
int jpg_load_region(const char* path, BITMAP16* target, int32_t x, int32_t y, int32_t width, int32_t height);

// rows holds height decoded rows (stride rgb24_stride(width)) of B,G,R pixels. Pixel (x, r)
// of the target becomes pixel_ops.pack(red, green, blue); nothing is written outside target.
void convert_rgb24_rows(const uint8_t* rows, BITMAP16* target, int32_t width, int32_t height);
// Source row k goes to target row first_row + k from target_x on, for k below height and
// target_rows; at most width and target_width pixels a row, clipped to the target.
void convert_rgb24_block(const uint8_t* rows, BITMAP16* target, int32_t target_x, int32_t first_row,
                         int32_t target_width, int32_t target_rows, int32_t width, int32_t height);

// Tests: forget the codec binding so that the next call binds the module registered now.
void jpg_codec_reset();

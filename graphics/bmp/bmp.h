// BMP files: read into 16-bit bitmaps (24 and 8 bits per pixel, through the PAK layer) and
// written from them as uncompressed 24-bit files.
#pragma once
#include <cstdint>

struct BITMAP16;

// A new bitmap, or null: "Can't open bmp file %s" when the file cannot be opened; silently for
// another signature, another bit depth, or sizes and palettes out of range.
BITMAP16* bmp_load(const char* path);
// 0 on success, -1 when the file cannot be created or written, -2 for a null bitmap.
int bmp_save(BITMAP16* bitmap, const char* path);
// The same file from width x height pixels, row after row; -2 for null pixels.
int bmp_save_pixels(const uint16_t* pixels, int32_t width, int32_t height, const char* path);

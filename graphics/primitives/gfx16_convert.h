// Colour conversions of rows, bitmaps and palettes, colour-space conversions and row resampling.
#pragma once
#include <cstdint>

struct BITMAP16;

// In place, n pixels: stored 555 words to the screen's format (in) and back (out).
void gfx16_convert_row_in(uint16_t* row, int32_t n);
void gfx16_convert_row_out(uint16_t* row, int32_t n);
// The same over width pixels of every row.
void gfx16_convert_bitmap_in(BITMAP16* bitmap);
void gfx16_convert_bitmap_out(BITMAP16* bitmap);
// 256 colour words from a 768-byte RGB palette.
void gfx16_palette_to_words(const uint8_t* palette, uint16_t* words);
// Inside the clipped rectangle, every pixel equal to a becomes b.
void gfx16_replace_colour(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t a, uint16_t b, BITMAP16* bitmap);

// Hue in degrees (0 to 360), saturation and lightness (or value) from 0 to 1.
void rgb_to_hsl(int r, int g, int b, double* h, double* s, double* l);
void rgb_to_hsv(int r, int g, int b, double* h, double* s, double* v);

// Resample n pixels of source into m pixels of destination with an integer error accumulator:
// down for m <= n (pixels dropped), up for m >= n (pixels repeated). Other lengths do nothing.
void gfx16_stretch_row_down(const uint16_t* source, int32_t n, uint16_t* destination, int32_t m);
void gfx16_stretch_row_up(const uint16_t* source, int32_t n, uint16_t* destination, int32_t m);

// Helpers over whole bitmaps: bounds and crops, coverage, silhouettes, and BITMAP16A builders.
#pragma once
#include <cstdint>

struct BITMAP16;
struct BITMAP16A;

struct GFX_RECT {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// The smallest rectangle, within the limits (clipped to the bitmap), holding every pixel that is
// not 0 (for BITMAP16A, every alpha that is not 0): true and out, or false when there is none.
bool bitmap16_find_bounds(const BITMAP16* bitmap, const GFX_RECT& limits, GFX_RECT* out);
bool bitmap16a_find_bounds(const BITMAP16A* bitmap, const GFX_RECT& limits, GFX_RECT* out);
// A new bitmap cut to those bounds and its offset in the source; a bitmap without such a pixel
// gives a new cleared 2 x 2 bitmap at (0, 0). Null for a null source or when memory runs out.
BITMAP16* bitmap16_crop(const BITMAP16* bitmap, int32_t* offset_x, int32_t* offset_y);
BITMAP16A* bitmap16a_crop(const BITMAP16A* bitmap, int32_t* offset_x, int32_t* offset_y);
// The share of pixels that are 0 (0 for a null or empty bitmap).
double bitmap16_transparent_share(const BITMAP16* bitmap);
// x = width / 2, y = the rounded mean of each column's lowest non-zero row (columns without
// one are left out; y is 0 when none has one).
void bitmap16_foot_point(const BITMAP16* bitmap, int32_t* x, int32_t* y);
// Copies width x height packed words into the bitmap's rows and sets its width (rounded up to 4)
// and height: 0, or -1 (nothing changed) when they do not fit its rows and pitch.
int bitmap16_set_pixels(BITMAP16* bitmap, const uint16_t* words, int32_t width, int32_t height);
// A new bitmap holding the source's non-transparent pixels in red, sheared into a cast shadow:
// row y moves right by shear_x x (height - 1 - y) / height and column x moves down by
// shear_y x x / width. The new bitmap is |shear_x| and |shear_y| larger than the source.
BITMAP16* bitmap16_silhouette(const BITMAP16* source, int32_t shear_x, int32_t shear_y);
BITMAP16A* bitmap16a_silhouette(const BITMAP16A* source, int32_t shear_x, int32_t shear_y);
BITMAP16A* bitmap16a_from_arrays(int32_t width, int32_t height, const uint16_t* pixels, const uint8_t* alphas);
// Alpha 0 where the pixel is 0, else 255.
BITMAP16A* bitmap16a_make(const BITMAP16* source);
// Pixels and alphas of source into destination at (x, y), clipped.
void bitmap16a_copy_to(int32_t x, int32_t y, const BITMAP16A* source, BITMAP16A* destination);

// A chained list of bitmaps; bitmap16_list_free frees every node and its bitmap.
struct BITMAP16_LIST {
  BITMAP16_LIST* next;
  BITMAP16* bitmap;
};
void bitmap16_list_free(BITMAP16_LIST** head);

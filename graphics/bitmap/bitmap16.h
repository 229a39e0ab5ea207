// 16-bit bitmaps: one zeroed block holding the header, one row pointer per row and the rows.
// Pixels are words in the screen's format. All drawing addresses a pixel as rows[y][x], so a
// bitmap whose row pointers point into another one (a view) is drawn on like any other.
#pragma once
#include <cstddef>
#include <cstdint>

// Widths and heights above this (or below 0) give no bitmap.
constexpr int32_t BITMAP16_MAX_SIZE = 16384;

struct BITMAP16 {
  uint32_t width;
  uint32_t height;
  uint32_t pitch;      // bytes from one row to the next: width rounded up to 4 pixels, times 2
  uint16_t* rows[];    // height row pointers; the pixels follow the last one
};

// Like BITMAP16 with an alpha plane: each row holds width pixels, then width alpha bytes from
// byte 2 x width (0 transparent, 255 opaque). Pitch: width rounded up to 4, times 3.
struct BITMAP16A {
  uint32_t width;
  uint32_t height;
  uint32_t pitch;
  uint8_t* rows[];     // first byte of each row
};

inline uint16_t* bitmap16a_pixels(BITMAP16A* bm, uint32_t y) { return reinterpret_cast<uint16_t*>(bm->rows[y]); }
inline uint8_t* bitmap16a_alpha(BITMAP16A* bm, uint32_t y) { return bm->rows[y] + 2 * static_cast<size_t>(bm->width); }

// Null when a size is out of range or the allocation fails.
BITMAP16* bitmap16_create(int32_t width, int32_t height);
// Frees the holder's bitmap (if any) and sets the holder to null; returns the holder.
BITMAP16** bitmap16_free(BITMAP16** holder);
// Header and row-pointer table only (pitch 2 x width, row pointers null).
BITMAP16* bitmap16_create_view(int32_t width, int32_t height);
// Header and row pointers into source at (x, y); null when the block is not inside the source.
BITMAP16* bitmap16_view_rect(BITMAP16* source, int32_t x, int32_t y, int32_t width, int32_t height);
BITMAP16A* bitmap16a_create(int32_t width, int32_t height);
BITMAP16A** bitmap16a_free(BITMAP16A** holder);

// Zeroes pitch bytes of every row; null ignored.
void bitmap16_clear(BITMAP16* bitmap);
void bitmap16a_clear(BITMAP16A* bitmap);
// Zeroes width x 2 bytes of every row.
void bitmap16_clear_pixels(BITMAP16* bitmap);
void bitmap16a_clear_alpha(BITMAP16A* bitmap);
// Every pixel of width x height becomes colour; null ignored.
void bitmap16_fill(BITMAP16* bitmap, uint16_t colour);

// A new bitmap holding the block of source at (x, y); parts outside the source are zero.
BITMAP16* bitmap16_cut(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP16* source);
BITMAP16A* bitmap16a_cut(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP16A* source);
// Sets destination's width to width rounded up to 4 and its height to height, then copies that
// block of source at (x, y) into destination's top-left corner. Returns the rounded width.
int32_t gfx16_copy_rect(int32_t x, int32_t y, int32_t width, int32_t height, BITMAP16* destination,
                        BITMAP16* source);

void bitmap16_mirror_x(BITMAP16* bitmap);
void bitmap16_flip_y(BITMAP16* bitmap);
void bitmap16a_mirror_x(BITMAP16A* bitmap);
void bitmap16a_flip_y(BITMAP16A* bitmap);

// Tests only: the n-th bitmap allocation from now fails (0: none fails).
void bitmap_alloc_fail_at(int n);

// The whole-buffer routines that work on several pixels at once with channel masks loaded for
// the screen's format, and the nearest-pixel stretch.
#pragma once
#include <cstdint>

struct BITMAP16;

struct MMX_MASKS {
  uint16_t red = 0, green = 0, blue = 0, half = 0;
  uint32_t red_shift = 0, green_shift = 0, blue_shift = 0;  // move each field to the top of its byte
};
extern MMX_MASKS mmx_masks;

// Loads the row of format ids 1-4; any other id leaves the masks as they are.
void gfx16_set_mmx_masks(int format_id);

// The two-bitmap routines clip the whole source placed at (x, y) to the target.
void mmx_blit_copy(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
// Per field: t + floor((s - t) x (level >> 3) / 32).
void mmx_blit_blend(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level);
void mmx_fill_blend(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, int level);
void mmx_blit_mix(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
// Grey with the fixed field shifts 11 and 6 whatever the format.
void mmx_blit_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
// Per field, saturating at the field's top.
void mmx_blit_add(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void mmx_blit_sub(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void mmx_brighten(int r, int g, int b, BITMAP16* bitmap);
void mmx_darken(int r, int g, int b, BITMAP16* bitmap);
void mmx_blit_copy_rect(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t w, int32_t h,
                        BITMAP16* source, BITMAP16* target);

// Nearest-pixel stretch of the whole source into the w x h rectangle at (x, y) of the target.
void bitmap16_stretch(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* target);

// Widens n 16-bit pixels to 32-bit 0x00RRGGBB with the loaded masks, each field at the top of
// its byte (the upload to a 32-bit screen).
void mmx_widen_row(const uint16_t* source, uint32_t* target, int32_t n);

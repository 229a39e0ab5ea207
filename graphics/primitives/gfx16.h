// Drawing on 16-bit bitmaps: the standard colours and the plain whole-buffer routines (the
// forms DRAW installs when the processor has no MMX, or for a screen of any other layout).
// Each routine clips the source to the destination; null bitmaps draw nothing.
#pragma once
#include <cstdint>

struct BITMAP16;

// The sixteen standard colours, packed for the screen by gfx16_init_colours.
enum Gfx16Colour {
  GFX16_RED, GFX16_GREEN, GFX16_BLUE, GFX16_YELLOW, GFX16_CYAN, GFX16_MAGENTA, GFX16_WHITE, GFX16_BLACK,
  GFX16_GREY_20, GFX16_GREY_40, GFX16_GREY_60, GFX16_GREY_80, GFX16_GREY_A0, GFX16_GREY_C0, GFX16_GREY_E0,
  GFX16_BLUE_2, GFX16_COLOUR_COUNT
};
extern uint16_t gfx16_colours[GFX16_COLOUR_COUNT];
// Packs the sixteen colours with the installed pixel routines.
void gfx16_init_colours();

// Each clips the source placed at (x, y) to the destination.
void gfx16_blit(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination);
void gfx16_blit_blend(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination, int level);
void gfx16_blit_half(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination);
void gfx16_blit_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination);
void gfx16_blit_add(int32_t x, int32_t y, BITMAP16* source, BITMAP16* destination);
void gfx16_fill_rect_blend(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* destination,
                           int level);
void gfx16_brighten(int r, int g, int b, BITMAP16* bitmap);
void gfx16_darken(int r, int g, int b, BITMAP16* bitmap);
// Per pixel by its alpha: 0 skipped, 255 copied, otherwise blended at the alpha.
struct BITMAP16A;
void bitmap16a_blit(int32_t x, int32_t y, BITMAP16A* source, BITMAP16* destination);
// The source stretched into (x, y, w, h) by integer steps, clipped per pixel.
void gfx16_blit_stretch(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* destination);
// The pixel with each channel raised by the amount, capped at 255.
uint16_t gfx16_add_rgb(int r, int g, int b, uint16_t pixel);
// Copies the source block (source x, source y, w, h) to (x, y) of the destination.
void gfx16_blit_rect(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t w, int32_t h,
                     BITMAP16* source, BITMAP16* destination);

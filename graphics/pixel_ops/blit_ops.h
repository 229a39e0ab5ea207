// The whole-buffer routines DRAW installs: the plain set or the MMX set, chosen once at
// start-up, plus the three routines both sets share.
#pragma once
#include <cstdint>

struct BITMAP16;
struct RLE_IMAGE;

struct BLIT_OPS {
  void (*copy)(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
  void (*fill_blend)(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target, int level);
  void (*blend)(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level);
  void (*mix)(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
  void (*grey)(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
  void (*add)(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
  void (*brighten)(int r, int g, int b, BITMAP16* bitmap);
  void (*darken)(int r, int g, int b, BITMAP16* bitmap);
  void (*copy_rect)(int32_t x, int32_t y, int32_t source_x, int32_t source_y, int32_t w, int32_t h,
                    BITMAP16* source, BITMAP16* target);
  void (*rle_draw)(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
  void (*stretch)(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* target);
};

// Filled by draw_install_pixel_ops; every slot is null until then.
extern BLIT_OPS blit_ops;

// The whole source over the target at (0, 0) with the installed copy or level blend, or the
// plain routines before DRAW installs its set; null bitmaps draw nothing.
void blit_copy_whole(BITMAP16* from, BITMAP16* to);
void blit_blend_whole(BITMAP16* from, BITMAP16* to, int level);

// Clipped copy, combine and fill routines between 16-bit bitmaps. Sources may lie partly or
// wholly outside the target; pixel 0 is a source's transparent colour wherever a routine is
// keyed. Every pixel combination goes through the installed pixel routines.
#pragma once
#include <cstdint>

struct BITMAP16;

// No pixels: out becomes a view of source's w x h block at (x, y) (row pointers into source;
// out must have room for h row pointers).
void blit16_view(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* out, BITMAP16* source);
void blit16_copy_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
// Every other pixel of the clipped rectangle; the checker's parity starts at the clipped corner.
void blit16_checker_fill(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target);
void blit16_checker_copy(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_checker_copy_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_silhouette(int32_t x, int32_t y, uint16_t colour, BITMAP16* source, BITMAP16* target);
// Edge pixels: non-zero pixels with a zero or outside neighbour among their eight. They take the
// routine's operation; the other non-zero pixels are copied.
void blit16_outline_colour(int32_t x, int32_t y, uint16_t colour, BITMAP16* source, BITMAP16* target);
void blit16_blend_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level);
void blit16_outline_blend(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target, int level);
void blit16_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_outline_grey(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void fill16_add(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target);
void fill16_sub(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target);
void fill16_min(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target);
void fill16_max(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target);
void fill16_mix(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t colour, BITMAP16* target);
void blit16_add_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_sub_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_min_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_max_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_mix_keyed(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_sub(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_min(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_max(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_outline_add(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_outline_sub(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_outline_min(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_outline_max(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
void blit16_outline_mix(int32_t x, int32_t y, BITMAP16* source, BITMAP16* target);
// Every pixel of the clipped rectangle scaled by n / 32.
void fill16_scale(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* target, int n);
// Nearest-pixel stretch to w x h, skipping 0; the last row and column of the area stay undrawn.
void blit16_stretch_keyed(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* source, BITMAP16* target);

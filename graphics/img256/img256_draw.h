// The sprite blitters: an IMG256 frame drawn with its hot spot at (x, y) of any BITMAP16,
// clipped at the four edges, under the settings of SPRITE_DRAW_STATE.
#pragma once
#include <cstdint>

#include "graphics/img256/img256.h"

struct BITMAP16;

// The main blitter: RGB565 colour from the palette whatever the screen's format, each channel
// target + floor((colour - target) x (alpha / 8) / 32); occlusion, highlight and masks applied.
void img256_draw(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target);
// Colour packed and blended through PIXEL_OPS at alpha - level (0 to 255).
void img256_draw_faded(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t level);
// Drawn at percent / 100 of its size, hot spot scaled too; no occlusion. Frames narrower or lower
// than 2 pixels draw nothing.
void img256_draw_scaled(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent);
void img256_draw_scaled_faded(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent,
                              int32_t level);
// Each pixel's palette colour added to the target, capped at 255; alpha ignored.
void img256_draw_additive(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target);
void img256_draw_additive_scaled(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent);
// As the faded blitter at level 0, without occlusion, only columns left of x + width.
void img256_draw_width_limited(int32_t x, int32_t y, int32_t width, const Img256Frame* frame, BITMAP16* target);
// Scaled, each pixel moved by spread x 10 - rand() % (spread x 20 + 1) across, then the same
// down with a second rand(), and clipped where it lands. A negative spread counts as 0.
void img256_draw_scattered(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent,
                           int32_t spread);

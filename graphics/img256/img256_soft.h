// Pixel steps of the PIXEL_OPS blitters (internal to the sprite code).
#pragma once
#include <cstdint>

#include "graphics/img256/sprite_state.h"

// Highlight, mask (hidden, or alpha 80 when see-through) and the PIXEL_OPS blend at
// alpha - level.
void img256_soft_pixel(const SPRITE_DRAW_STATE& st, uint16_t* dst, int64_t px, int64_t py, const uint8_t* rgb,
                       uint8_t alpha, int32_t level);
// Highlight and the channel-wise capped sum; alpha only decides the highlight.
void img256_add_pixel(const SPRITE_DRAW_STATE& st, uint16_t* dst, int64_t px, int64_t py, const uint8_t* rgb,
                      uint8_t alpha);

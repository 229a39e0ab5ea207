// The tiled window frame: eight 8 x 8 tiles around a rectangle, from nine frame images.
#pragma once
#include <cstdint>

#include "graphics/img256/img256.h"

struct BITMAP16;

enum WindowFramePiece {
  WINDOW_FRAME_TOP_LEFT, WINDOW_FRAME_TOP, WINDOW_FRAME_TOP_RIGHT,
  WINDOW_FRAME_LEFT, WINDOW_FRAME_CENTRE, WINDOW_FRAME_RIGHT,
  WINDOW_FRAME_BOTTOM_LEFT, WINDOW_FRAME_BOTTOM, WINDOW_FRAME_BOTTOM_RIGHT,
  WINDOW_FRAME_PIECES
};

// The nine images, set by whoever loads the interface art (empty frames draw nothing).
extern Img256Frame window_frame_images[WINDOW_FRAME_PIECES];

// n = max((w - 16) / 8, 0) tiles across and m = max((h - 16) / 8, 0) down between the corners,
// all drawn with img256_draw; the inside is not filled (the centre image is not drawn).
void draw_window_frame(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap);

// The five screen-sized bitmaps every screen draws into.
#pragma once
#include <cstdint>

#include "graphics/bitmap/bitmap16.h"

constexpr int32_t SCREEN_WIDTH = 800;
constexpr int32_t SCREEN_HEIGHT = 600;

extern BITMAP16* screen_back;   // the frame being drawn; DRAW presents it
extern BITMAP16* screen_new;    // the next screen during a transition
extern BITMAP16* screen_work;   // scratch for drawing off screen
extern BITMAP16* screen_saved;  // the old screen, kept by transitions and modal boxes
// A clean copy of a screen's background that survives the cross-fades (which overwrite
// screen_saved): the front-end screens restore from it.
extern BITMAP16* screen_front_copy;

// Creates the five in this order at the screen size: 0, or -1 at the first failure (those
// already made stay).
int screen_buffers_create();
// Frees the five in the same order; each pointer becomes null.
void screen_buffers_free();

// Sprite slots: frames converted once into ready runs of colour words (packed in the screen's
// format) beside alpha words, for sprites drawn every frame.
#pragma once
#include <cstdint>

#include "graphics/img256/img256.h"

struct BITMAP16;

constexpr int SPRITE_SLOT_COUNT = 11;

// Two buffers of equal length: words 0-1 the converted length (u32, low word first), word 2 the
// hot-spot x (colours) and y (alphas), then per code a word with the code in both; 253 a second
// 253; 254 a 254 beside the count; 255 a 255 beside the count, then the colours beside the alphas.
struct SPRITE_SLOT {
  uint16_t* colours;
  uint16_t* alphas;
  uint32_t words;  // allocated length of each buffer
  uint32_t rows;   // the frame's rows to draw and its width: what lies past them is not drawn
  uint32_t width;
  uint8_t built;
};

extern SPRITE_SLOT sprite_slots[SPRITE_SLOT_COUNT];

// False unless the frame is an image; out gets the words the converted stream needs. True only
// when the stream ends exactly at its length (any other code, or a count past it, is false).
bool img256_measure_rle(const Img256Frame* frame, uint32_t* out_length);
// Converts the frame into the slot unless the slot is already built; true when it is ready.
// A failure leaves the slot empty with both buffers freed.
bool img256_build_slot(const Img256Frame* frame, int slot);
// Draws a built slot with its hot spot at (x, y), blended as img256_draw, clipped at the frame's
// height and width and at all four edges of the target. Under a see-through mask the slot's own alpha becomes 80 (or 0) for good.
void img256_draw_slot(int32_t x, int32_t y, int slot, BITMAP16* target);
// Frees every slot's buffers and clears its built flag.
void sprite_slots_free_all();

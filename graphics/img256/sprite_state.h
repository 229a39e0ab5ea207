// What the sprite blitters read besides the frame: the occlusion map, the highlight of opaque
// pixels and the see-through masks of the map objects. The scene and the battle set these before
// drawing and reset them afterwards.
#pragma once
#include <cstdint>

struct BITMAP16;

struct SPRITE_DRAW_STATE {
  uint8_t occlusion_test;     // the map hides (above 250) and thins pixels
  uint8_t occlusion_write;    // drawn pixels add their alpha to the map
  uint8_t highlight_on;       // pixels of alpha 191 or more also go into the highlight bitmap
  uint16_t highlight_colour;
  BITMAP16* highlight_bitmap;
  int32_t mask_test;          // non-zero: pixels are tested against the see-through masks
  int32_t mask_see_through;   // under a mask: non-zero draws at alpha 80, zero hides
};

extern SPRITE_DRAW_STATE sprite_draw_state;

// One byte per screen pixel: 0 free, higher values covered. Positions outside it read as free
// and are not written.
constexpr int32_t OCCLUSION_WIDTH = 800;
constexpr int32_t OCCLUSION_HEIGHT = 600;
extern uint8_t sprite_occlusion_map[OCCLUSION_HEIGHT][OCCLUSION_WIDTH];

void sprite_occlusion_clear();
// Everything off and the occlusion map cleared.
void sprite_draw_state_reset();

struct SCENE_MASK;

// The mask records (in test order) that meet a rectangle of map positions, gathered once per
// sprite so that each pixel tests only those; the same hits as mask_hit_test inside it.
struct MASK_SET {
  int32_t count;
  bool all;  // too many records meet it: each pixel asks mask_hit_test
  const SCENE_MASK* records[32];
};
// x1 and y1 exclusive.
void mask_set_for_rect(MASK_SET* out, int64_t x0, int64_t y0, int64_t x1, int64_t y1);
bool mask_set_hit(const MASK_SET& set, int64_t map_x, int64_t map_y);

// The point in map coordinates: 0 when a mask record (in the list's order) holds it with its bit
// set, -2 when none does. Pixels beyond 8 x (width / 8) of a record have no bit.
int mask_hit_test(int32_t map_x, int32_t map_y);

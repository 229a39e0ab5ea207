// The standard colours, packed for the screen once its format is known.
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"

uint16_t gfx16_colours[GFX16_COLOUR_COUNT] = {};

void gfx16_init_colours() {
  static constexpr uint32_t kRgb[GFX16_COLOUR_COUNT] = {
      0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x000000,
      0x202020, 0x404040, 0x606060, 0x808080, 0xA0A0A0, 0xC0C0C0, 0xE0E0E0, 0x0000FF};
  for (int i = 0; i < GFX16_COLOUR_COUNT; ++i) gfx16_colours[i] = pixel_ops.pack_rgb(kRgb[i]);
}

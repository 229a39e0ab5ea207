// The channel masks of the four fixed formats.
#include "graphics/cpu/mmx.h"

MMX_MASKS mmx_masks;

void gfx16_set_mmx_masks(int format_id) {
  static constexpr MMX_MASKS kRows[] = {
      {0xFC00, 0x03E0, 0x001F, 0x7BDE, 1, 6, 3},  // 555
      {0xFC00, 0x03E0, 0x001F, 0xFBDE, 0, 6, 3},  // 655
      {0xF800, 0x07E0, 0x001F, 0xF7DE, 0, 5, 3},  // 565
      {0xF800, 0x07C0, 0x003F, 0xF7BE, 0, 5, 2},  // 556
  };
  if (format_id >= 1 && format_id <= 4) mmx_masks = kRows[format_id - 1];
}

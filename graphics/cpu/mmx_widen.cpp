// 16-bit pixels to 32-bit pixels for a 32-bit screen.
#include "graphics/cpu/mmx.h"

void mmx_widen_row(const uint16_t* source, uint32_t* target, int32_t n) {
  const uint32_t rm = mmx_masks.red, gm = mmx_masks.green, bm = mmx_masks.blue;
  const uint32_t rs = mmx_masks.red_shift + 8, gs = mmx_masks.green_shift, bs = mmx_masks.blue_shift;
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t p = source[i];
    target[i] = (((p & rm) << rs) & 0xFF0000u) | (((p & gm) << gs) & 0xFF00u) | (((p & bm) << bs) & 0xFFu);
  }
}

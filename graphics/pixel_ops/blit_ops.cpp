#include "graphics/pixel_ops/blit_ops.h"

#include "graphics/primitives/gfx16.h"

BLIT_OPS blit_ops = {};

void blit_copy_whole(BITMAP16* from, BITMAP16* to) {
  if (!from || !to) return;
  if (blit_ops.copy) {
    blit_ops.copy(0, 0, from, to);
  } else {
    gfx16_blit(0, 0, from, to);
  }
}

void blit_blend_whole(BITMAP16* from, BITMAP16* to, int level) {
  if (!from || !to) return;
  if (blit_ops.blend) {
    blit_ops.blend(0, 0, from, to, level);
  } else {
    gfx16_blit_blend(0, 0, from, to, level);
  }
}

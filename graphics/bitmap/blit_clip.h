// The clipping every whole-bitmap blit shares: the whole source placed at (x, y) of the target.
#pragma once
#include <algorithm>
#include <cstdint>

#include "graphics/bitmap/bitmap16.h"

struct BlitClip {
  int32_t source_x = 0, source_y = 0;  // first visible source pixel
  int32_t x = 0, y = 0;                // where it lands on the target
  int32_t w = 0, h = 0;                // visible size
};

// A w x h block at (x, y) of a target of target_w x target_h: false when nothing is visible.
// Negative x or y cut the block's left columns or top rows.
inline bool blit_clip_block(int64_t x, int64_t y, int64_t w, int64_t h, int64_t target_w, int64_t target_h,
                            BlitClip& out) {
  const int64_t vw = std::min(x + w, target_w) - std::max<int64_t>(x, 0);
  const int64_t vh = std::min(y + h, target_h) - std::max<int64_t>(y, 0);
  if (vw < 1 || vh < 1) return false;
  out.source_x = static_cast<int32_t>(std::max<int64_t>(-x, 0));
  out.source_y = static_cast<int32_t>(std::max<int64_t>(-y, 0));
  out.x = static_cast<int32_t>(std::max<int64_t>(x, 0));
  out.y = static_cast<int32_t>(std::max<int64_t>(y, 0));
  out.w = static_cast<int32_t>(vw);
  out.h = static_cast<int32_t>(vh);
  return true;
}

inline bool blit_clip(int32_t x, int32_t y, const BITMAP16* source, const BITMAP16* target, BlitClip& out) {
  if (!source || !target) return false;
  return blit_clip_block(x, y, source->width, source->height, target->width, target->height, out);
}

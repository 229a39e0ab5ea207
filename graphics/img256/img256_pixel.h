// Per-pixel steps the sprite blitters share (internal to the sprite code).
#pragma once
#include <algorithm>
#include <cstdint>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/img256/sprite_state.h"
#include "graphics/img256/scene_view_origin.h"

namespace img256_px {

// A palette entry as RGB565 by shifts and masks.
inline uint16_t rgb565(const uint8_t* palette, uint8_t index) {
  const uint8_t* p = palette + 3 * index;
  return static_cast<uint16_t>(((p[0] & 0xF8) << 8) | ((p[1] & 0xFC) << 3) | (p[2] >> 3));
}

// Each RGB565 channel t + floor((c - t) x w / 32), all three in one 64-bit product: the channels
// sit apart in 0x07E0F81F with room for each one's remainder, so the result is exact.
inline uint16_t blend565(uint16_t c, uint16_t t, uint32_t w) {
  const int64_t fc = (c | (static_cast<uint32_t>(c) << 16)) & 0x07E0F81F;
  const int64_t ft = (t | (static_cast<uint32_t>(t) << 16)) & 0x07E0F81F;
  const int64_t r = ((((fc - ft) * static_cast<int64_t>(w)) >> 5) + ft) & 0x07E0F81F;
  return static_cast<uint16_t>(r | (r >> 16));
}

// The occlusion byte of a target position (inside the target, so px, py >= 0), or null outside
// the map.
inline uint8_t* occlusion_at(int64_t px, int64_t py) {
  return px < OCCLUSION_WIDTH && py < OCCLUSION_HEIGHT ? &sprite_occlusion_map[py][px] : nullptr;
}

// Bounded by the highlight bitmap's own size.
inline void highlight(const SPRITE_DRAW_STATE& st, int64_t px, int64_t py, uint8_t alpha) {
  if (!st.highlight_on || alpha < 191) return;
  BITMAP16* h = st.highlight_bitmap;
  if (h && px < h->width && py < h->height) h->rows[py][px] = st.highlight_colour;
}

inline bool masked(const SPRITE_DRAW_STATE& st, int64_t px, int64_t py) {
  return st.mask_test && mask_hit_test(static_cast<int32_t>(px + scene_view_origin.x),
                                       static_cast<int32_t>(py + scene_view_origin.y)) == 0;
}

inline int clamp_alpha(int64_t a) { return static_cast<int>(std::clamp<int64_t>(a, 0, 255)); }

}  // namespace img256_px

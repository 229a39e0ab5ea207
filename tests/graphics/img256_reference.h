// A scalar per-pixel statement of the main sprite blitter's rule, for the property tests and as
// the benchmark's anchor. It reads the frame's bytes itself and shares nothing with the blitters.
#pragma once
#include <cstdint>
#include <cstring>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/img256/sprite_state.h"
#include "graphics/img256/scene_view_origin.h"

namespace gfxt::ref {

inline uint32_t le16(const uint8_t* p) { return p[0] | p[1] << 8; }
inline uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

inline int floor_div32(int v) { return v >= 0 ? v / 32 : -((-v + 31) / 32); }

// One RGB565 channel step: t + floor((c - t) x w / 32).
inline uint16_t blend(uint16_t c, uint16_t t, int w) {
  const int cr = c >> 11, cg = (c >> 5) & 63, cb = c & 31;
  const int tr = t >> 11, tg = (t >> 5) & 63, tb = t & 31;
  const int r = tr + floor_div32((cr - tr) * w), g = tg + floor_div32((cg - tg) * w), b = tb + floor_div32((cb - tb) * w);
  return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

// Walks the frame's runs as drawn at (x, y): pixel(px, py, rgb, alpha) for every run pixel that
// lands on the target; rows below the height and pixels right of the width are not visited.
template <class Pixel>
void walk_runs(int32_t x, int32_t y, const uint8_t* frame, const BITMAP16* target, Pixel pixel) {
  const uint32_t width = le16(frame + 20), height = le16(frame + 22);
  const int64_t left = int64_t{x} - static_cast<int16_t>(le16(frame + 28));
  const int64_t top = int64_t{y} - static_cast<int16_t>(le16(frame + 30));
  const uint32_t len = le32(frame + 32);
  const uint8_t* palette = frame + 36;
  const uint8_t* s = frame + le32(frame + 804);
  uint32_t pos = 0, row = 0;
  int64_t px = left;
  while (pos < len && row < height) {
    const uint8_t code = s[pos++];
    if (code == 253) {
      ++row;
      px = left;
    } else if (code == 254) {
      px += le16(s + pos);
      pos += 2;
    } else if (code == 255) {
      const uint32_t n = le16(s + pos);
      pos += 2;
      for (uint32_t i = 0; i < n; ++i, ++px, pos += 2) {
        const int64_t py = top + row;
        if (px - left >= width) continue;  // right of the frame
        if (px < 0 || py < 0 || px >= target->width || py >= target->height) continue;
        pixel(px, py, palette + 3 * s[pos], s[pos + 1]);
      }
    } else {
      break;
    }
  }
}

// img256_draw of the frame's bytes at (x, y): every step in the stated order, per pixel.
inline void draw(int32_t x, int32_t y, const uint8_t* frame, BITMAP16* target) {
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  walk_runs(x, y, frame, target, [&](int64_t px, int64_t py, const uint8_t* rgb, int a) {
    const bool in_map = px < OCCLUSION_WIDTH && py < OCCLUSION_HEIGHT;
    const int m = in_map ? sprite_occlusion_map[py][px] : 0;
    if (st.occlusion_test && m > 250) return;
    if (st.highlight_on && a >= 191 && st.highlight_bitmap && px < st.highlight_bitmap->width &&
        py < st.highlight_bitmap->height) {
      st.highlight_bitmap->rows[py][px] = st.highlight_colour;
    }
    if (st.mask_test && mask_hit_test(static_cast<int32_t>(px + scene_view_origin.x),
                                      static_cast<int32_t>(py + scene_view_origin.y)) == 0) {
      a = st.mask_see_through ? 80 : 0;
    }
    const uint16_t colour = static_cast<uint16_t>((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
    int drawn = a;
    if (st.occlusion_test) drawn = m > a ? 0 : a - m;
    if (st.occlusion_write && a >= 8 && in_map) {
      sprite_occlusion_map[py][px] = static_cast<uint8_t>(m + a > 254 ? 254 : m + a);
    }
    uint16_t& d = target->rows[py][px];
    d = blend(colour, d, drawn / 8);
  });
}

// img256_draw_additive: every run pixel's palette colour added, capped at 255 per channel.
template <class Add>
void draw_additive(int32_t x, int32_t y, const uint8_t* frame, BITMAP16* target, Add add_rgb) {
  walk_runs(x, y, frame, target, [&](int64_t px, int64_t py, const uint8_t* rgb, int) {
    target->rows[py][px] = add_rgb(rgb[0], rgb[1], rgb[2], target->rows[py][px]);
  });
}

}  // namespace gfxt::ref

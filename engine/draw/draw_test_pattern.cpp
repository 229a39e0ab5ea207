// Eight colour bars and a grey band blended over them: the whole path from packing to the
// screen in one picture.
#include <algorithm>

#include "engine/draw/draw.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "graphics/pixel_ops/pixel_ops.h"

void draw_test_pattern(BITMAP16* bitmap) {
  if (!bitmap || bitmap->width < 8) return;
  static constexpr uint32_t kBars[8] = {0x000000, 0x0000FF, 0x00FF00, 0x00FFFF,
                                        0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  uint16_t packed[8];
  for (int i = 0; i < 8; ++i) packed[i] = pixel_ops.pack_rgb(kBars[i]);
  const uint32_t bar = bitmap->width / 8;
  for (uint32_t y = 0; y < bitmap->height; ++y) {
    for (uint32_t x = 0; x < bitmap->width; ++x) bitmap->rows[y][x] = packed[std::min<uint32_t>(x / bar, 7)];
  }
  if (blit_ops.fill_blend) {
    const auto h = static_cast<int32_t>(bitmap->height);
    blit_ops.fill_blend(0, h * 5 / 12, static_cast<int32_t>(bitmap->width), h / 6, pixel_ops.pack_rgb(0x808080),
                        bitmap, 128);
  }
}

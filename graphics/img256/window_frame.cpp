#include "graphics/img256/window_frame.h"

#include <algorithm>

#include "core/reset/module_resets.h"
#include "graphics/img256/img256_draw.h"

Img256Frame window_frame_images[WINDOW_FRAME_PIECES];

void draw_window_frame(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* bitmap) {
  if (!bitmap) return;
  // Tiles that could never reach a bitmap are not visited.
  const int64_t n = std::clamp<int64_t>((int64_t{w} - 16) / 8, 0, 1 << 16);
  const int64_t m = std::clamp<int64_t>((int64_t{h} - 16) / 8, 0, 1 << 16);
  const Img256Frame* f = window_frame_images;
  auto tile = [&](int64_t tx, int64_t ty, int piece) {
    if (tx < INT32_MIN || tx > INT32_MAX || ty < INT32_MIN || ty > INT32_MAX) return;
    img256_draw(static_cast<int32_t>(tx), static_cast<int32_t>(ty), &f[piece], bitmap);
  };
  const int64_t right = int64_t{x} + 8 * n + 8, bottom = int64_t{y} + 8 * m + 8;
  tile(x, y, WINDOW_FRAME_TOP_LEFT);
  for (int64_t i = 0; i < n; ++i) tile(int64_t{x} + 8 + 8 * i, y, WINDOW_FRAME_TOP);
  tile(right, y, WINDOW_FRAME_TOP_RIGHT);
  for (int64_t j = 0; j < m; ++j) {
    const int64_t ty = int64_t{y} + 8 + 8 * j;
    tile(x, ty, WINDOW_FRAME_LEFT);
    tile(right, ty, WINDOW_FRAME_RIGHT);
  }
  tile(x, bottom, WINDOW_FRAME_BOTTOM_LEFT);
  for (int64_t i = 0; i < n; ++i) tile(int64_t{x} + 8 + 8 * i, bottom, WINDOW_FRAME_BOTTOM);
  tile(right, bottom, WINDOW_FRAME_BOTTOM_RIGHT);
}

static const ModuleReset k_reset("window frame images", [] {
  for (Img256Frame& f : window_frame_images) f = Img256Frame();
});

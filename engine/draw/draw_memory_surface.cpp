// The video player's memory surface.
#include <algorithm>
#include <cstring>

#include "engine/draw/draw.h"
#include "engine/draw/draw_state.h"
#include "engine/engine_main/engine_main.h"
#include "graphics/bitmap/bitmap16.h"

BITMAP16* draw_memory_surface() { return draw_state().memory; }

// Both directions copy the same rectangle, clipped to the bitmap and the surface; the bitmap's
// size never changes (taking the rectangle's size would leave screen_back narrower for every
// later whole-screen routine).
void draw_copy_memory_surface(BITMAP16* bitmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int direction) {
  BITMAP16* memory = draw_state().memory;
  if (!memory) sys_fatal_error("MemorySurface lock failed");
  if (!bitmap) return;
  const int64_t left = std::max<int64_t>(x0, 0);
  const int64_t top = std::max<int64_t>(y0, 0);
  const int64_t right = std::min<int64_t>({x1, bitmap->width, memory->width});
  const int64_t bottom = std::min<int64_t>({y1, bitmap->height, memory->height});
  if (right <= left) return;
  const auto bytes = static_cast<size_t>(right - left) * 2;
  for (int64_t y = top; y < bottom; ++y) {
    if (direction == 0) {
      std::memmove(memory->rows[y] + left, bitmap->rows[y] + left, bytes);
    } else {
      std::memmove(bitmap->rows[y] + left, memory->rows[y] + left, bytes);
    }
  }
}

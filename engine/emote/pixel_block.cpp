#include "engine/emote/pixel_block.h"

#include <cstdlib>
#include <cstring>

namespace {
int fail_countdown = 0;
}

void pixel_block_fail_at(int n) { fail_countdown = n; }

PIXEL_BLOCK24* pixel_block_alloc(int32_t width, int32_t height) {
  if (width < 0 || height < 0 || width > PIXEL_BLOCK24_MAX_SIZE || height > PIXEL_BLOCK24_MAX_SIZE) return nullptr;
  if (fail_countdown > 0 && --fail_countdown == 0) return nullptr;
  const size_t stride = ((static_cast<size_t>(width) + 3) & ~size_t{3}) * 3;
  const size_t head = sizeof(PIXEL_BLOCK24) + sizeof(uint8_t*) * static_cast<size_t>(height);
  auto* block = static_cast<PIXEL_BLOCK24*>(std::calloc(1, head + stride * static_cast<size_t>(height)));
  if (!block) return nullptr;
  block->width = width;
  block->height = height;
  block->stride = static_cast<int32_t>(stride);
  uint8_t* pixels = reinterpret_cast<uint8_t*>(block) + head;
  for (int32_t y = 0; y < height; ++y) block->rows[y] = pixels + stride * static_cast<size_t>(y);
  return block;
}

void pixel_block_free(PIXEL_BLOCK24** holder) {
  if (!holder || !*holder) return;
  std::free(*holder);
  *holder = nullptr;
}

plat::Pixels24View pixel_block_view(const PIXEL_BLOCK24* block) {
  if (!block) return {};
  return {block->width, block->height, block->rows};
}

// Frame bytes -> img256_open; a frame that passes walks inside its box and is drawn by every
// blitter at the edges of a small target under each drawing setting, and through a sprite slot.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/img256/sprite_slot.h"
#include "graphics/img256/sprite_state.h"
#include "graphics/img256/scene_masks.h"

namespace {

uint8_t g_bits[2 * 48];
const SCENE_MASK g_mask = {16, 48, 20, 0, g_bits};
const int32_t g_order[] = {0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  Img256Frame frame;
  if (img256_open(bytes.data(), bytes.size(), &frame) != 0) {
    if (frame.valid()) __builtin_trap();
    return 0;
  }
  // The walk stays inside the frame's box, whatever the stream says.
  if (frame.rows() > frame.height()) __builtin_trap();
  img256_walk(frame, [&](uint32_t row, uint32_t x, const uint8_t*, uint32_t n) {
    if (row >= frame.rows() || n > frame.width() || x > frame.width() - n) __builtin_trap();
  });
  for (size_t i = 0; i < sizeof(g_bits); ++i) g_bits[i] = static_cast<uint8_t>(0xA5 ^ i);
  static BITMAP16* target = bitmap16_create(64, 48);
  static BITMAP16* highlight = bitmap16_create(40, 30);
  const int32_t w = frame.width(), h = frame.height();
  const int32_t xs[] = {0, -w / 2, 63, 64 + frame.hot_x(), -w + frame.hot_x(), 31, -70000};
  const int32_t ys[] = {0, -h / 2, 47, 48 + frame.hot_y(), -h + frame.hot_y(), 20};
  for (int settings = 0; settings < 4; ++settings) {
    sprite_draw_state_reset();
    sprite_draw_state.occlusion_test = settings & 1;
    sprite_draw_state.occlusion_write = settings & 1;
    sprite_draw_state.highlight_on = (settings >> 1) & 1;
    sprite_draw_state.highlight_bitmap = highlight;
    sprite_draw_state.mask_test = settings >> 1;
    sprite_draw_state.mask_see_through = settings & 1;
    scene_mask_list = {1, g_order, &g_mask, 1};
    for (int32_t x : xs) {
      for (int32_t y : ys) {
        img256_draw(x, y, &frame, target);
        img256_draw_faded(x, y, &frame, target, 40);
        img256_draw_additive(x, y, &frame, target);
        img256_draw_width_limited(x, y, 17, &frame, target);
        if (w <= 256 && h <= 256) {
          img256_draw_scaled(x, y, &frame, target, 130);
          img256_draw_scaled_faded(x, y, &frame, target, 60, 20);
          img256_draw_additive_scaled(x, y, &frame, target, 200);
          img256_draw_scattered(x, y, &frame, target, 100, 2);
        }
      }
    }
    sprite_slots_free_all();
    if (img256_build_slot(&frame, settings)) {
      for (int32_t x : xs)
        for (int32_t y : ys) img256_draw_slot(x, y, settings, target);
    }
  }
  sprite_slots_free_all();
  scene_mask_list_reset();
  uint32_t words = 0;
  img256_measure_rle(&frame, &words);
  return 0;
}

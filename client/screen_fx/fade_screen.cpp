// The timed cross-fade nothing in the game calls: paced by TIMER counter 0, not by the frame.
#include "client/screen_fx/screen_transitions.h"
#include "core/timer/timer_ticks.h"
#include "engine/draw/draw.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/blit_ops.h"

namespace {

constexpr int kFadeLevelStep = 15;
constexpr int kFadeLevelEnd = 256;

void present(BITMAP16* bitmap) {
  if (draw_present_slot) draw_present_slot(bitmap);
}

}  // namespace

void gfx16_fade_screen(uint32_t speed) {
  if (!screen_back || !screen_saved) return;
  BITMAP16* target = bitmap16_create(static_cast<int32_t>(screen_back->width), static_cast<int32_t>(screen_back->height));
  if (!target) return;
  blit_copy_whole(screen_back, target);
  std::atomic<uint32_t>& ticks = timer_ticks[0];
  int level = 0;
  while (level < kFadeLevelEnd) {
    sys_pump_window_messages();
    bitmap16_clear(screen_back);
    blit_copy_whole(screen_saved, screen_back);
    blit_blend_whole(target, screen_back, level);
    present(screen_back);
    if (ticks.load(std::memory_order_relaxed) > speed) {
      level += kFadeLevelStep;
      ticks.store(0, std::memory_order_relaxed);
    }
  }
  blit_copy_whole(target, screen_back);
  present(screen_back);
  bitmap16_free(&target);
}

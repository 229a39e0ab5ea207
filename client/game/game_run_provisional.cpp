// The provisional game run: pump, present, pace. The task loop replaces it.
#include "client/game/game_run.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"

namespace {
constexpr uint32_t FRAME_MS = 31;
}  // namespace

int game_run() {
  plat::IClock& clock = plat::get().clock();
  const bool test_pattern = plat::environment().testPattern;
  uint32_t frame_start = clock.ms();
  while (sys_main_window() != plat::kNoWindow) {
    sys_pump_messages();
    if (sys_main_window() == plat::kNoWindow) break;
    input_debug_frame();
    if (test_pattern && screen_back) draw_test_pattern(screen_back);
    if (draw_present_slot) draw_present_slot(screen_back);
    const uint32_t elapsed = clock.ms() - frame_start;
    if (elapsed < FRAME_MS) clock.sleepMs(FRAME_MS - elapsed);
    frame_start = clock.ms();
  }
  return 0;
}

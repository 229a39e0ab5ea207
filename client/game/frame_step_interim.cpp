// Interim frame step: window messages, pacing, FRAME_INPUT and the frame counter. The scene
// index, the music step, the zoom mapping, the recorder and replay step and the link polls come
// with the task table's frame step.
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/input_bridge.h"
#include "engine/system/system.h"
#include "plat/platform.h"
#include "plat/tier0.h"

namespace {
uint64_t g_counter = 0;
}  // namespace

uint32_t frame_step() {
  sys_pump_messages();
  const uint32_t now = plat::tier0::msTime();
  if (now - frame_input.frame_time < FRAME_PERIOD_MS) {
    plat::get().clock().sleepMs(frame_input.frame_time + FRAME_PERIOD_MS - now);
  }
  const uint32_t now2 = plat::tier0::msTime();
  frame_input.elapsed_ticks = static_cast<uint16_t>(frame_input.tick_remainder + now2 - frame_input.frame_time);
  frame_input.tick_remainder = static_cast<uint8_t>(frame_input.elapsed_ticks % 7);
  frame_input.frame_time = now2;
  frame_input_sample();
  return static_cast<uint32_t>(++g_counter);
}

uint64_t frame_counter() { return g_counter; }

void frame_step_reset() {
  g_counter = 0;
  frame_input.tick_remainder = 0;
  frame_input.frame_time = 0;
}

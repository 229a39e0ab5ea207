#include <cstdio>

#include "core/reset/module_resets.h"
#include "engine/system/system.h"
#include "engine/timer/timer.h"
#include "plat/platform.h"

namespace {

uint32_t event_id = 0;

// Runs on the tick thread; the counters are the only thing it touches.
void timer_tick(void*) {
  for (auto& counter : timer_ticks) counter.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

int timer_module_init() {
  plat::ITickSource& ticks = plat::get().ticks();
  char line[SYS_MESSAGE_BUFFER_SIZE];
  sys_log(1, "TIMER module initialize starting...");
  const uint32_t max_period = ticks.maxPeriod();
  const uint32_t min_period = ticks.minPeriod();
  std::snprintf(line, sizeof line, "       Period Max : %d", static_cast<int>(max_period));
  sys_log(1, line);
  std::snprintf(line, sizeof line, "       Period Min : %d", static_cast<int>(min_period));
  sys_log(1, line);
  std::snprintf(line, sizeof line, "     Begin Period : %d", static_cast<int>(min_period));
  sys_log(1, line);
  // A minimum period above 10 gives a delay of 0, which the tick source refuses.
  const uint32_t delay = min_period == 0 ? 0 : 10 / min_period;
  const bool started = delay != 0 && ticks.start(delay, timer_tick, nullptr);
  std::snprintf(line, sizeof line, "Timer Event Delay : %d ms", static_cast<int>(delay));
  sys_log(1, line);
  // The original reported success with no timer running, and every tick wait then hung.
  if (!started) return -1;
  event_id = 1;
  sys_log(1, "TIMER module initialized OKay.");
  sys_log(1, "");
  return 0;
}

void timer_module_free() {
  if (event_id == 0) return;
  plat::get().ticks().stop();
  event_id = 0;
  sys_log(1, "TIMER module free OKay.");
}

void timer_module_notify(uint32_t /*active*/) {}

uint32_t timer_event_id() { return event_id; }

void timer_module_reset() {
  event_id = 0;
  for (auto& counter : timer_ticks) counter.store(0, std::memory_order_relaxed);
}

static const ModuleReset k_reset("TIMER", timer_module_reset);

// TIMER engine module: thirteen tick counters advanced together every 10 ms by the platform's
// tick source. Readers measure short waits by storing 0 into a counter and reading it later.
#pragma once
#include <cstdint>

#include "core/timer/timer_ticks.h"

// 0 with the tick source running; non-zero when it cannot start (a delay of 0 included), so
// that the install fails instead of leaving every tick wait hanging.
int timer_module_init();
// Only while a timer runs: stops it (the real source joins its thread), then logs.
void timer_module_free();
void timer_module_notify(uint32_t active);

// Non-zero while a timer runs.
uint32_t timer_event_id();

// Tests only: counters 0, no timer.
void timer_module_reset();

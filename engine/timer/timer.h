// TIMER engine module: thirteen tick counters advanced together every 10 ms by the platform's
// tick source. Readers measure short waits by storing 0 into a counter and reading it later.
#pragma once
#include <atomic>
#include <cstdint>

constexpr int TIMER_COUNTER_COUNT = 13;
// Counter 0: timed drawing; 11: the software cursor; 12: the input waits. 1-10 have no reader.
extern std::atomic<uint32_t> timer_ticks[TIMER_COUNTER_COUNT];

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

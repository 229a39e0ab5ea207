// The thirteen tick counters the TIMER module advances every 10 ms. They live below the engine so
// that drawing code can time itself by them; readers store 0 into a counter and read it later.
#pragma once
#include <atomic>
#include <cstdint>

constexpr int TIMER_COUNTER_COUNT = 13;
// Counter 0: timed drawing; 11: the software cursor; 12: the input waits. 1-10 have no reader.
extern std::atomic<uint32_t> timer_ticks[TIMER_COUNTER_COUNT];

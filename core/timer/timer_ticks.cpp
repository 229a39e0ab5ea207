#include "core/timer/timer_ticks.h"

std::atomic<uint32_t> timer_ticks[TIMER_COUNTER_COUNT];

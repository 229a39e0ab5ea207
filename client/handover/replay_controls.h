// Replay controls: set by the pipe reader (a controlling program's commands) and the replay, read
// by the replay step, the game main task, the battle and the screen transitions.
#pragma once
#include <atomic>
#include <cstdint>

// 1: the replay advances; any other value holds it.
extern std::atomic<int32_t> replay_running;
// 1.0 to 4.0.
extern std::atomic<float> replay_speed;
// 1, 2 or 4: time steps of the battle, the game main task and the transitions divide by it.
extern std::atomic<int32_t> speed_divisor;
// The replay progress in percent, published by the replay step on the main thread; the pipe
// reader only reads it.
extern std::atomic<int32_t> replay_progress_published;

// Tests only: the values at program start.
void replay_controls_reset();

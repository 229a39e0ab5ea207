// The frame step every screen loop, modal box and battle loop runs once a frame: window
// messages, pacing to 31 ms, and FRAME_INPUT sampled from the INPUT module.
#pragma once
#include <cstdint>

constexpr uint32_t FRAME_PERIOD_MS = 31;

// The low 32 bits of the frame counter after incrementing it.
uint32_t frame_step();
uint64_t frame_counter();
// Tests only: counter, remainder and frame time back to 0.
void frame_step_reset();

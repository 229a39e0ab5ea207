// The frame step every screen loop, modal box and battle loop runs once a frame before it reads
// input and draws: window messages, pacing to 31 ms, FRAME_INPUT, the music, the recorder or
// the replay, and the polls of both server links (whose handlers run inside it).
#pragma once
#include <cstdint>

constexpr uint32_t FRAME_PERIOD_MS = 31;
constexpr int FRAME_MAX_POLLS = 16;
constexpr uint32_t FRAME_POLL_PAUSE_MS = 3;

// The low 32 bits of the frame counter after incrementing it.
uint32_t frame_step();
uint64_t frame_counter();
// The zoom mapping of step 7: the raw position seen through scene zoom level z.
void frame_zoom_mouse(int32_t z, int32_t raw_x, int32_t raw_y, int32_t* x, int32_t* y);
// Tests only: counter, remainder and frame time back to 0.
void frame_step_reset();

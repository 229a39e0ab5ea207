// The first task: resets the dispatcher-level state and, on its first run only, builds the
// client's fixed game resources through a chain of init steps; a failed step shows its text
// and ends the game.
#pragma once
#include <cstdint>

constexpr int SYSTEM_COLOURS = 24;
// The system colour table in the screen's pixel format.
extern uint16_t system_colours[SYSTEM_COLOURS];
// The table's colours as 0xRRGGBB.
extern const uint32_t system_colour_rgb[SYSTEM_COLOURS];

constexpr int TASK_STATE_BLOCK_SIZE = 120;
extern uint8_t task_system_state_block[TASK_STATE_BLOCK_SIZE];

// One step of the init chain: non-zero from run shows failure_text and stops the chain.
struct INIT_STEP {
  const char* name;
  int32_t (*run)();
  const char* failure_text;
};
constexpr int INIT_STEPS = 13;
// The chain in its order; tests replace a step's run to make it fail.
extern INIT_STEP init_chain[INIT_STEPS];

// 0 on success (and on every run after the first), -1 when a step failed.
int32_t task_system_initialize();

// The game-control state at its start: music words 0, the leave request cleared (mode none),
// picked and hovered ids -1, the hit code 0xFFFF, every window slot closed, the weather display off. Always 0; the game
// main task runs it again at its end.
int32_t game_control_init();

// The steps that have a use of their own.
int32_t colour_control_init();
int32_t system_images_load();
int32_t map_base_data_init();
int32_t map_control_init();

// TASK_GAME_MAIN: the in-game state. It prepares the scene after a login or a map change,
// announces the client to the world server and runs the game frames (map or battle, the HUD,
// the windows, the weather) until a leave mode ends it or the world link is lost.
#pragma once
#include <cstdint>

#include "client/game/frame_step.h"

// 0: back to the account input (leave mode 0); -1: quit (leave mode 2), also the value left
// after a lost world link, whose login retry the task table runs.
int32_t task_game_main();

// The bound of the battle-resume wait in frame time: a silent server must not hold the entry.
constexpr uint32_t GAME_RESUME_WAIT_MS = 30000;
// The same bound in passes of the wait, for steps that fault before the clock moves.
constexpr uint32_t GAME_RESUME_WAIT_PASSES = (GAME_RESUME_WAIT_MS + FRAME_PERIOD_MS - 1) / FRAME_PERIOD_MS;

// The locals of one run of the task.
struct GAME_MAIN_RUN {
  uint32_t keep_alive;  // the clock at the start
  int32_t result;
  uint8_t leave_request;
  int32_t view[4];
};

// The task in its three parts, for tests and the benchmark: start, one frame (false once the
// task ends) and the end, which returns the result.
void game_main_start(GAME_MAIN_RUN& run);
bool game_main_frame(GAME_MAIN_RUN& run);
int32_t game_main_end(GAME_MAIN_RUN& run);

// The frame step the task runs (frame_step; the benchmark replaces it).
extern uint32_t (*game_main_frame_step)();

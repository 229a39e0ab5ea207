// The game main frame's figure of bench_game_main, for the program's main().
#pragma once

#include "bench/bench_ratio.h"

// The guarded frame over the same calls without guards.
bench_ratio::Pair game_main_frame_pair();

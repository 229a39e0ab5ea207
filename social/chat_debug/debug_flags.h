// The hidden debug commands' flag bytes: the debug mode byte first (the overlay draws only while it
// is on), then the six switches, which the game run turns on.
#pragma once
#include <cstdint>

constexpr int DEBUG_FLAGS = 7;
constexpr int DEBUG_FLAG_MODE = 0;

extern uint8_t debug_flags[DEBUG_FLAGS];

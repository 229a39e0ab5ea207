// State of the game main task that other parts of the client set or read.
#pragma once
#include <cstdint>

// Gates the weather, the speech bubbles and the present of a game frame; every dispatched world
// message and every replayed record entry sets it.
extern uint8_t scene_redraw_flag;
// 1 while the game main task runs; the weather draws nothing while it is 0.
extern uint8_t weather_display_flag;
// 1 at program start; cleared once the first game entry has shown its opening transition.
extern uint8_t first_entry_flag;
// Frame time (ms) after which the map frame reloads the other characters' looks.
extern uint32_t scene_refresh_deadline;

// How far the deadline lies ahead when the task starts, and after each reload.
constexpr uint32_t SCENE_REFRESH_FIRST_MS = 30000;
constexpr uint32_t SCENE_REFRESH_NEXT_MS = 10000;

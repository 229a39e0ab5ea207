// State of the game main task that other parts of the client set.
#pragma once
#include <cstdint>

// Gates the weather, the speech bubbles and the present of a game frame; every dispatched world
// message and every replayed record entry sets it.
extern uint8_t scene_redraw_flag;

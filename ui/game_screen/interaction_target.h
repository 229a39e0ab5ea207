// The map object or character the player last turned to: the object of the last interaction
// request, or the player a give went to.
#pragma once
#include <cstdint>

// 0: none.
extern uint32_t interaction_target_id;

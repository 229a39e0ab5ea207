// The movement steps the per-frame scene update runs for each character by its movement mode.
// Until the movement is built: a walker jumps to its target, wanderers and followers stay.
#pragma once
#include <cstdint>

// Server-driven walking (mode 1): the character at the index moves toward its walk target; 0.
int32_t scene_walk_toward_target(int32_t index);
// Wandering (modes 0 and 2): -2, nothing moves yet.
int32_t scene_wander_step(int32_t index);
// Following an owner (mode 3): -2, nothing moves yet.
int32_t scene_follow_owner_step(int32_t index);

// Tests: sees every step call with its index and result; nullptr: none.
using SceneStepObserver = void (*)(const char* op, int32_t index, int32_t result);
void scene_set_step_observer(SceneStepObserver observer);

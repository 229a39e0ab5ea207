// The status bits of the player's own scene character, which several handlers set.
#pragma once
#include <cstdint>

// Sets the bits (SCENE_FLAG_*) when the own character is in the scene.
void own_char_flags_set(uint32_t flags);

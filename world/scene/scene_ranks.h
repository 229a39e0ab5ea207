// The rank names a character's rank byte indexes (its low 5 bits).
#pragma once
#include <cstdint>

constexpr int32_t SCENE_RANK_ROWS = 32;
constexpr int32_t SCENE_RANK_NAME_SIZE = 24;

// Rows 0 to 16 named, the rest empty.
extern const char scene_rank_names[SCENE_RANK_ROWS][SCENE_RANK_NAME_SIZE];

// The player's pets as the server lists them, and the one in use.
#pragma once
#include <cstdint>

constexpr int32_t PET_COUNT = 14;
constexpr int32_t PET_NAME_SIZE = 32;

struct PET_RECORD {
  uint32_t id;
  char name[PET_NAME_SIZE];
};

extern PET_RECORD pet_table[PET_COUNT];
extern int32_t pet_current_index;  // -1: no pet

// The names of the four races, by the race byte of a character record.
#pragma once
#include <cstdint>

constexpr int32_t RACE_COUNT = 4;
constexpr int32_t RACE_NAME_SIZE = 12;
extern const char race_names[RACE_COUNT][RACE_NAME_SIZE];

// The race's name; "" for a race outside the table.
const char* race_name(uint8_t race);

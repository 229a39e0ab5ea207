// The colours of amounts by size: up to 99,999; 999,999; 9,999,999; 99,999,999; above.
#pragma once
#include <cstdint>

constexpr int32_t MONEY_COLOUR_COUNT = 5;
extern uint16_t money_colours[MONEY_COLOUR_COUNT];
// The colour of an amount.
uint16_t money_colour_of(uint32_t value);

// The weather engine module's hooks, installed last at start-up; a failed init is fatal.
#pragma once
#include <cstdint>

int weather_init();
void weather_exit();
void weather_notify(uint32_t active);

// Stand-in until the weather module is built: no data to load, nothing logged.
#include "world/weather/weather_module.h"

int weather_init() { return 0; }
void weather_exit() {}
void weather_notify(uint32_t /*active*/) {}

// The SOUND engine module's hooks. The client ignores a failed install.
#pragma once
#include <cstdint>

int sound_module_init();
void sound_module_free();
void sound_module_notify(uint32_t active);

// The SOUND engine module's hooks and its device. The client ignores a failed install.
#pragma once
#include <cstdint>

#include "plat/types.h"

int sound_module_init();
void sound_module_free();
void sound_module_notify(uint32_t active);

// Opens the output at 22,050 Hz 16-bit stereo and logs its format; the device's error code
// (nothing more logged) when it fails.
int32_t sound_device_open(plat::WindowId window);
// Frees every sample, releases every buffer and closes the output.
void sound_device_close();
// Music off, no current tune, masters 0, not ready.
void sound_state_reset();

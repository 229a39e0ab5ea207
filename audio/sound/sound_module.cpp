// Stand-in until the SOUND module is built: no device, nothing logged.
#include "audio/sound/sound_module.h"

int sound_module_init() { return 0; }
void sound_module_free() {}
void sound_module_notify(uint32_t /*active*/) {}

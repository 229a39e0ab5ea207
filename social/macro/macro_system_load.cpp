// Stand-in until the macro binding is built: nothing to load yet.
#include "social/macro/macro_system.h"

int macro_system_load() { return 0; }

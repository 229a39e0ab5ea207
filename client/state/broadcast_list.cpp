#include "client/state/broadcast_list.h"

#include "core/reset/module_resets.h"

GrowArray<BROADCAST_ENTRY> broadcast_list;

static const ModuleReset k_reset("broadcast list", [] { broadcast_list.free(); });

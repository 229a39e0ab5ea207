#include "client/game/frame_input.h"

#include "core/reset/module_resets.h"

FRAME_INPUT frame_input = {};

static const ModuleReset k_reset("frame input", [] { frame_input = FRAME_INPUT{}; });

#include "items/bag/bag_page.h"

#include "core/reset/module_resets.h"

int32_t bag_page = 0;

static const ModuleReset k_reset("bag page", [] { bag_page = 0; });

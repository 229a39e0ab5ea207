#include "world/battle/battle_effects.h"

void battle_free_effects() {}

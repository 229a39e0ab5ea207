// Stand-in until the battle's effect slots exist.
#include "world/battle/battle_effects.h"

void battle_free_effects() {}

#include "world/battle/battle_graphics.h"

#include "client/common/seam_calls.h"

void battle_free_graphics() { seam_call("battle_free_graphics"); }

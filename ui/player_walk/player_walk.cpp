#include "ui/player_walk/player_walk.h"

#include "client/common/seam_calls.h"

// The map's mouse handling is not built yet: the call is recorded.
void player_walk_stop() { seam_call("player_walk_stop"); }

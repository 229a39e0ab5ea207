// Until the game screen is built the call is recorded.
#include "ui/game_screen/game_screen_pick.h"

#include "client/common/seam_calls.h"

void game_screen_pick_update() { seam_call("game_screen_pick_update"); }

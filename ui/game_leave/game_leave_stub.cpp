// Stand-in until the game screen interface is built: nothing to close yet.
#include "ui/game_leave/game_leave.h"

void game_on_close_request() {}

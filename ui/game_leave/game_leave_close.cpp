// Until the system menu exists a close request quits: a mode that a menu stand-in set would be
// put back to none by the next frame, and the game must stay closable.
#include "ui/game_leave/game_leave.h"

#include "ui/game_screen/window_close_all.h"
#include "ui/handlers/ui_handlers.h"

void game_on_close_request() {
  window_close_all();
  game_leave_quit();
}

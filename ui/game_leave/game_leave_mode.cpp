#include "ui/game_leave/game_leave_mode.h"

#include "client/net/net_link.h"
#include "core/reset/module_resets.h"
#include "ui/handlers/ui_handlers.h"

GAME_LEAVE_MODE game_leave_mode = {0, GAME_LEAVE_NONE};

void game_leave_to_login() {
  net_disconnect_all(0);
  game_leave_mode.flag = 1;
  game_leave_mode.mode = GAME_LEAVE_TO_LOGIN;
}

void game_leave_quit() {
  net_disconnect_all(1);
  game_leave_mode.flag = 1;
  game_leave_mode.mode = GAME_LEAVE_QUIT;
}

static const ModuleReset k_reset("game leave mode", [] { game_leave_mode = {0, GAME_LEAVE_NONE}; });

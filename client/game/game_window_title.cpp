#include "client/game/game_window_title.h"

#include <cstdio>
#include <string>

#include "client/front/server_select.h"
#include "client/startup/client_hooks.h"
#include "client/state/map_record.h"

void game_window_title_show() {
  const std::string name = map_state_char_name();
  char where[512];
  std::snprintf(where, sizeof where, " [ %s: %s ID %d ]", current_server_name, name.c_str(),
                static_cast<int32_t>(map_state_char_id()));
  client_show_window_title(client_window_title() + where);
}

#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "client/state/player_state.h"

int req_allocate_points() {
  player_state.stat_refresh = 0;
  return net_send_world(0x50002, 0, player_state.pending, sizeof player_state.pending);
}

int req_char_details() { return net_send_world(0x50005, 0, nullptr, 0); }

#include "client/net/net_link.h"
#include "client/requests/requests.h"

int req_battle_ready() { return net_send_world(0xc0002, 0, nullptr, 0); }

int req_battle_action_done() { return net_send_world(0xc0007, 0, nullptr, 0); }

int req_scene_status() { return net_send_world(0xc0013, 0, nullptr, 0); }

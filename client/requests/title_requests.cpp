#include "client/net/net_link.h"
#include "client/requests/requests.h"

int req_title_list() { return net_send_world(0xe0002, 0, nullptr, 0); }

int req_title_set(uint16_t title_id) {
  return net_send_world(0xe0004, static_cast<int16_t>(title_id), nullptr, 0);
}

int req_title_clear() { return net_send_world(0xe0005, 0, nullptr, 0); }

#include "client/net/net_link.h"
#include "client/requests/requests.h"

int req_party_members() { return net_send_world(0x30037, 0, nullptr, 0); }

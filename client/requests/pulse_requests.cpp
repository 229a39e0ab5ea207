#include "client/net/net_link.h"
#include "client/requests/requests.h"

int req_periodic_ping() { return net_send_world(0x90001, 0, nullptr, 0); }

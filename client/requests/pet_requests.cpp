#include "client/net/net_link.h"
#include "client/requests/requests.h"

int req_pet_unfollow(uint32_t pet_id) { return net_send_world(0x60007, static_cast<int32_t>(pet_id), nullptr, 0); }

int req_pet_details() { return net_send_world(0x6000c, 0, nullptr, 0); }

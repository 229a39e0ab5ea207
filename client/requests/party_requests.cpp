#include "client/net/net_link.h"
#include "client/requests/requests.h"

int req_party_leave(uint32_t member_id) { return net_send_world(0x30034, static_cast<int32_t>(member_id), nullptr, 0); }

int req_party_members() { return net_send_world(0x30037, 0, nullptr, 0); }

int req_party_accept(uint32_t applicant_id) {
  return net_send_world(0x30033, static_cast<int32_t>(applicant_id), nullptr, 0);
}

int req_party_decline(uint32_t applicant_id) {
  return net_send_world(0x30032, static_cast<int32_t>(applicant_id), nullptr, 0);
}

// One-line request senders, each bound to one world message id. Each returns net_send_world's
// result (0 while a record is replayed, when nothing is sent).
#pragma once
#include <cstdint>

// 0x30037: the party member list.
int req_party_members();
// 0x60007: the pet stops following.
int req_pet_unfollow(uint32_t pet_id);

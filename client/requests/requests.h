// One-line request senders, each bound to one world message id. Each returns net_send_world's
// result (0 while a record is replayed, when nothing is sent).
#pragma once
#include <cstdint>

// 0x30037: the party member list.
int req_party_members();
// 0x60007: the pet stops following.
int req_pet_unfollow(uint32_t pet_id);
// 0x6000c: the details of every pet.
int req_pet_details();
// 0xc0005 and 0xc000a: the player's and the pet's battle command, once a round: only a ready
// command not sent yet goes out (0 otherwise).
int req_battle_command();
int req_battle_pet_command();

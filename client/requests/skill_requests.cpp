#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "client/state/pet_table.h"

int req_skill_list() { return net_send_world(0xb0001, 0, nullptr, 0); }

int req_pet_skill_list() {
  if (pet_current_index < 0 || pet_current_index >= PET_COUNT) return -1;
  return net_send_world(0xb0003, static_cast<int32_t>(pet_table[pet_current_index].id), nullptr, 0);
}

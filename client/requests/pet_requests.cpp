#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "client/state/pet_table.h"

int req_pet_list() {
  pet_state.loaded = 0;
  pet_state.active_index = PET_NO_INDEX;
  pet_state.count = 0;
  return net_send_world(0x60001, 0, nullptr, 0);
}

int req_pet_clear_active() { return net_send_world(0x60009, static_cast<int32_t>(pet_state.active_id), nullptr, 0); }

int req_pet_set_active(uint32_t pet_id) { return net_send_world(0x60008, static_cast<int32_t>(pet_id), nullptr, 0); }

int req_pet_unfollow(uint32_t pet_id) { return net_send_world(0x60007, static_cast<int32_t>(pet_id), nullptr, 0); }

int req_pet_follow(uint32_t pet_id) { return net_send_world(0x60006, static_cast<int32_t>(pet_id), nullptr, 0); }

int req_pet_allocate_points(uint32_t pet_id) {
  if (pet_id == 0) return -1;
  const int32_t slot = pet_index_by_id(pet_id);
  if (slot < 0) return -1;
  return net_send_world(0x60003, static_cast<int32_t>(pet_id), pet_state.pending[slot], sizeof pet_state.pending[slot]);
}

int req_pet_details() { return net_send_world(0x6000c, 0, nullptr, 0); }

int req_pet_release() {
  if (pet_current_index < 0 || pet_current_index >= PET_COUNT) return -1;
  const uint32_t id = pet_table[pet_current_index].id;
  if (id == 0) return -1;
  return net_send_world(0x6000b, static_cast<int32_t>(id), nullptr, 0);
}

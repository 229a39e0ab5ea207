// Lookup and maintenance of the pet table.
#include <utility>

#include "client/state/pet_table.h"
#include "client/ui/message_box.h"
#include "world/scene/scene_services.h"

int32_t pet_index_by_id(uint32_t id) {
  if (id == 0) return -1;
  for (int32_t i = 0; i < PET_COUNT; ++i)
    if (pet_table[i].id == id) return i;
  return -1;
}

void pet_slots_rebuild() {
  uint32_t count = 0;
  for (const PET_RECORD& p : pet_table)
    if (p.id != 0) ++count;
  pet_state.count = count;
  pet_state.active_index = PET_NO_INDEX;
  for (uint32_t i = 0; i < count; ++i) {
    if (pet_table[i].id == pet_state.active_id) {
      pet_state.active_index = static_cast<uint16_t>(i);
      break;
    }
  }
}

int32_t pet_record_store(const PET_RECORD& record) {
  for (int32_t i = 0; i < PET_COUNT; ++i) {
    if (pet_table[i].id != 0) continue;
    pet_table[i] = record;
    pet_state.following[i] = 0;
    pet_slots_rebuild();
    return i;
  }
  return -1;
}

int32_t pet_record_add(const PET_RECORD& record) {
  const int32_t slot = pet_record_store(record);
  if (slot < 0) show_message_box("BAOBAO STACK OVERFLOW !!!", 1);
  return slot;
}

namespace {

void swap_slots(int32_t a, int32_t b) {
  std::swap(pet_table[a], pet_table[b]);
  std::swap(pet_state.details[a], pet_state.details[b]);
  std::swap(pet_state.following[a], pet_state.following[b]);
}

}  // namespace

void pet_record_remove(uint32_t id) {
  const int32_t slot = pet_index_by_id(id);
  if (slot < 0) return;
  // The emptied slot keeps nothing of the pet that left.
  pet_table[slot] = PET_RECORD{};
  pet_state.details[slot] = PET_DETAIL{};
  pet_state.following[slot] = 0;

  for (int32_t i = 0; i < pet_slot_list.count && i < PET_COUNT; ++i) {
    if (pet_slot_list.slots[i] != slot) continue;
    for (int32_t j = i; j + 1 < pet_slot_list.count && j + 1 < PET_COUNT; ++j)
      pet_slot_list.slots[j] = pet_slot_list.slots[j + 1];
    --pet_slot_list.count;
    break;
  }

  // Each empty slot moves one place back per pass until the pets stand first, in their order.
  for (int32_t pass = 0; pass < PET_COUNT; ++pass) {
    for (int32_t i = 0; i + 1 < PET_COUNT; ++i)
      if (pet_table[i].id == 0 && pet_table[i + 1].id != 0) swap_slots(i, i + 1);
  }

  if (pet_shown_media >= 0) scene_release_object_unless_shown(pet_shown_media);
  pet_shown_media = -1;
  pet_current_index = -1;
  pet_slots_rebuild();
}

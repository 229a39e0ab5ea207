// The player's pets: the list, single pets arriving and leaving, their values, details and
// followers, and the restores that name a pet.
#include <cstring>
#include <string>
#include <vector>

#include "client/common/screen_state.h"
#include "client/common/text_field.h"
#include "client/edit/game_edit.h"
#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "client/handlers/handler_words.h"
#include "client/handlers/own_char_flags.h"
#include "client/requests/requests.h"
#include "client/state/pet_table.h"
#include "client/state/player_state.h"
#include "client/ui/message_box.h"
#include "social/macro/macro_system.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_services.h"

namespace {

constexpr int32_t kNewPetSize = PET_RECORD_SIZE + PET_DETAIL_WORDS * 4;  // 200

PET_RECORD read_pet(plat::ByteReader& r) {
  PET_RECORD p{};
  plat::readFields(r, PET_RECORD_FIELDS, p, PET_RECORD_WALK);
  text_field_terminate(p.name);
  return p;
}

PET_DETAIL read_detail(plat::ByteReader& r) {
  PET_DETAIL d{};
  d.valid = 1;
  for (uint32_t& w : d.details) w = r.u32("detail");
  return d;
}

// The shown pet follows the active one when that is a valid slot.
void show_active_pet() {
  if (pet_state.active_index < PET_COUNT) pet_current_index = pet_state.active_index;
}

// The pet a restore or value message without a pet id means: the active one, or -1.
int32_t active_slot() {
  return pet_state.active_index < PET_COUNT && pet_table[pet_state.active_index].id != 0
             ? static_cast<int32_t>(pet_state.active_index)
             : -1;
}

// 0xd0003 and 0xd0004: the value at 36 or 44 (values[2] or values[4]).
void restore_pet(int32_t value_index, int32_t value, net_msg::Payload payload) {
  int32_t slot = -1;
  if (payload.empty()) {
    slot = active_slot();
  } else {
    slot = pet_index_by_id(payload.u32(0));
  }
  if (slot < 0) return;
  pet_table[slot].values[value_index] = value;
  own_char_flags_set(SCENE_FLAG_RESTORED);
}

}  // namespace

void pet_on_list(uint32_t, int32_t count, net_msg::Payload payload) {
  plat::ByteReader r = payload.records(count, PET_RECORD_SIZE);
  std::vector<PET_RECORD> pets(static_cast<size_t>(count));
  for (PET_RECORD& p : pets) p = read_pet(r);

  for (PET_RECORD& p : pet_table) p = PET_RECORD{};
  for (PET_DETAIL& d : pet_state.details) d = PET_DETAIL{};
  std::memset(pet_state.following, 0, sizeof pet_state.following);
  pet_state.some_follows = 0;
  pet_state.loaded = 0;
  pet_state.count = 0;
  bool overflow = false;
  for (const PET_RECORD& p : pets)
    if (pet_record_store(p) < 0) overflow = true;
  pet_state.loaded = 1;
  pet_slots_rebuild();
  show_active_pet();
  if (count > 0) req_pet_details();
  // One box for the whole list: the records that fit are kept.
  if (overflow) show_message_box("BAOBAO STACK OVERFLOW !!!", 1);
}

void pet_on_rename(uint32_t, int32_t status, net_msg::Payload payload) {
  const uint32_t id = payload.u32(0);
  const int32_t slot = pet_index_by_id(id);
  if (slot < 0) return;
  if (status == 0) {
    char name[PET_NAME_SIZE];
    pet_name_edit.get_text(name, sizeof name);
    text_field_set(pet_table[slot].name, name);
    scene_set_char_name(id, name);
  } else if (status == -1) {
    const std::string name(pet_table[slot].name, strnlen(pet_table[slot].name, PET_NAME_SIZE));
    pet_name_edit.clear_text();
    pet_name_edit.insert_text(name.c_str());
  }
}

void pet_on_points_allocated(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  const bool ok = payload.size() == PET_VALUE_COUNT * 4 && slot >= 0;
  if (ok) {
    const auto words = payload_words<PET_VALUE_COUNT>(payload);
    for (int32_t i = 0; i < PET_VALUE_COUNT; ++i) pet_table[slot].values[i] = static_cast<int32_t>(words[i]);
  }
  if (slot >= 0) {
    // Added (or taken back) in 32 bits that wrap: a server's value near the limit cannot overflow.
    for (int32_t i = 0; i < PET_DERIVED_VALUES; ++i) {
      const int32_t added = point_allocation_value(pet_state.pending[slot], i);
      const uint32_t value = static_cast<uint32_t>(added);
      int32_t& stat = pet_table[slot].stats[i];
      stat = static_cast<int32_t>(ok ? static_cast<uint32_t>(stat) + value : static_cast<uint32_t>(stat) - value);
    }
  }
  if (!ok) show_system_message("Points calculation error! Please reallocate!", 0);
  player_state.stat_refresh = 1;
  if (slot >= 0) std::memset(pet_state.pending[slot], 0, sizeof pet_state.pending[slot]);
}

void pet_on_level(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  if (payload.empty()) return;
  const auto words = payload_words<PET_STAT_COUNT + PET_VALUE_COUNT>(payload);
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot < 0) return;
  PET_RECORD& p = pet_table[slot];
  for (int32_t i = 0; i < PET_STAT_COUNT; ++i) p.stats[i] = static_cast<int32_t>(words[i]);
  for (int32_t i = 0; i < PET_VALUE_COUNT; ++i) p.values[i] = static_cast<int32_t>(words[PET_STAT_COUNT + i]);
  p.level_bits = static_cast<uint16_t>((p.level_bits & ~0x7Fu) | 100u);
  notice_linef("~C2\xA1\xAFs pet hit level ~C4%d~C2 ~C0", p.values[0]);
}

void pet_on_exp(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  const auto words = payload_words<3>(payload);
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot < 0) return;
  const uint32_t old = static_cast<uint32_t>(pet_table[slot].values[7]);
  for (int32_t i = 0; i < 3; ++i) pet_table[slot].values[7 + i] = static_cast<int32_t>(words[i]);
  if (words[0] > old) notice_linef("~C2\xA1\xAFs pet obtained ~C4%d~C2 Exp~C0", static_cast<int32_t>(words[0] - old));
}

void pet_on_follow(uint32_t, int32_t owner, net_msg::Payload payload) {
  if (owner == -1) {
    show_system_message("Pet\xA1\xAFs following error", 0);
    return;
  }
  plat::ByteReader r = payload.reader();
  PET_FOLLOW_RECORD rec{};
  plat::readFields(r, PET_FOLLOW_RECORD_FIELDS, rec, PET_FOLLOW_RECORD_WALK);
  const int32_t slot = pet_index_by_id(rec.pet_id);
  if (static_cast<uint32_t>(owner) != frame_input.own_char_id) {
    if (slot >= 0) pet_state.following[slot] = 1;
    scene_add_pet_follower(rec);
    return;
  }
  if (slot < 0) return;
  pet_state.following[slot] = 1;
  pet_state.some_follows = 1;
  const PET_RECORD& p = pet_table[slot];
  PET_FOLLOW_RECORD own{};
  own.pet_id = rec.pet_id;
  own.owner_id = frame_input.own_char_id;
  own.look = static_cast<uint16_t>(static_cast<uint32_t>(p.stats[PET_STAT_LOOK]) >> 16);
  own.byte_10 = static_cast<uint8_t>(p.stats[PET_STAT_BYTE_112]);
  std::memcpy(own.name, p.name, PET_FOLLOW_NAME_SIZE);
  own.byte_26 = rec.byte_26;
  scene_add_pet_follower(own);
}

void pet_on_unfollow(uint32_t, int32_t pet_id, net_msg::Payload) {
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot >= 0) {
    pet_state.following[slot] = 0;
    pet_state.some_follows = 0;
  }
  scene_remove_char(static_cast<uint32_t>(pet_id));
}

void pet_on_active(uint32_t, int32_t pet_id, net_msg::Payload) {
  if (pet_id == 0) return;
  pet_state.active_id = static_cast<uint32_t>(pet_id);
  pet_slots_rebuild();
  show_active_pet();
}

void pet_on_inactive(uint32_t, int32_t pet_id, net_msg::Payload) {
  if (static_cast<uint32_t>(pet_id) != pet_state.active_id) return;
  pet_state.active_index = PET_NO_INDEX;
  pet_state.active_id = 0;
}

void pet_on_new(uint32_t, int32_t result, net_msg::Payload payload) {
  if (result != 1 || payload.size() != kNewPetSize) {
    show_system_message("Pet carry exceeds the upper limit!", 0);
    return;
  }
  plat::ByteReader r = payload.reader();
  const PET_RECORD pet = read_pet(r);
  const PET_DETAIL detail = read_detail(r);
  const int32_t slot = pet_record_add(pet);
  pet_state.loaded = 1;
  if (slot >= 0) pet_state.details[slot] = detail;
  macro_raise_event(15, 1);
}

void pet_on_removed(uint32_t, int32_t status, net_msg::Payload payload) {
  const uint32_t id = payload.u32(0);
  if (status == 0) pet_record_remove(id);
}

void pet_on_details(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  plat::ByteReader r = payload.reader();
  const PET_DETAIL detail = read_detail(r);
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot >= 0) pet_state.details[slot] = detail;
}

void pet_on_block(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  const auto words = payload_words<PET_STAT_COUNT>(payload);
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot < 0 || payload.size() != PET_STAT_COUNT * 4) return;
  for (int32_t i = 0; i < PET_STAT_COUNT; ++i) pet_table[slot].stats[i] = static_cast<int32_t>(words[i]);
}

void pet_on_values(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  const auto words = payload_words<PET_VALUE_COUNT>(payload);
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot < 0) return;
  for (int32_t i = 0; i < PET_VALUE_COUNT; ++i) pet_table[slot].values[i] = static_cast<int32_t>(words[i]);
}

void pet_on_level_bits(uint32_t, int32_t pet_id, net_msg::Payload payload) {
  const uint8_t bits = payload.u8(0);
  const int32_t slot = pet_index_by_id(static_cast<uint32_t>(pet_id));
  if (slot < 0) return;
  uint16_t& level = pet_table[slot].level_bits;
  level = static_cast<uint16_t>((level & ~0x7Fu) | (bits & 0x7Fu));
}

void pet_on_all_details(uint32_t, int32_t count, net_msg::Payload payload) {
  if (count < 0 || static_cast<uint32_t>(count) != pet_state.count) return;
  plat::ByteReader r = payload.records(count, PET_DETAIL_WORDS * 4);
  std::vector<PET_DETAIL> details(static_cast<size_t>(count));
  for (PET_DETAIL& d : details) d = read_detail(r);
  for (size_t i = 0; i < details.size() && i < PET_COUNT; ++i) pet_state.details[i] = details[i];
}

void restore_on_pet_hp(uint32_t, int32_t value, net_msg::Payload payload) { restore_pet(2, value, payload); }

void restore_on_pet_mp(uint32_t, int32_t value, net_msg::Payload payload) { restore_pet(4, value, payload); }

void pet_on_value24(uint32_t, int32_t, net_msg::Payload payload) {
  const uint32_t value = payload.u32(0);
  const int32_t slot = active_slot();
  if (slot < 0) return;
  int32_t& word = pet_table[slot].stats[PET_STAT_VALUE24];
  word = static_cast<int32_t>((static_cast<uint32_t>(word) & 0xFF000000u) | (value & 0x00FFFFFFu));
}

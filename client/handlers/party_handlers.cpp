// The party: leader, applications, members joining and leaving.
#include <cstdio>
#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "client/requests/requests.h"
#include "client/state/party_tables.h"
#include "client/state/pet_table.h"
#include "client/ui/message_box.h"
#include "social/chat_log/chat_log.h"
#include "ui/game_screen/game_screen_words.h"
#include "ui/game_screen/window_slots.h"
#include "world/scene/scene_chars.h"

namespace {

PARTY_RECORD read_record(plat::ByteReader& r) {
  PARTY_RECORD rec{};
  plat::readFields(r, PARTY_RECORD_FIELDS, rec, PARTY_RECORD_WALK);
  return rec;
}

std::vector<PARTY_RECORD> read_records(net_msg::Payload payload, int32_t count) {
  return payload.fieldRecords<PARTY_RECORD>(count, PARTY_RECORD_FIELDS, PARTY_RECORD_WALK);
}

bool is_own(uint32_t id) { return id == frame_input.own_char_id; }

// Sets and clears bits of the scene character's flags word; false when it is not in the scene.
bool change_flags(uint32_t id, uint32_t set, uint32_t clear) {
  const int32_t i = scene_find_char(id);
  if (i < 0) return false;
  SCENE_CHAR& c = scene_chars[static_cast<size_t>(i)];
  c.flags = (c.flags & ~clear) | set;
  return true;
}

void chat_line(const char* format, const char* name) {
  char line[96];
  std::snprintf(line, sizeof line, format, name);
  chat_log_add(7, 0, "", line, 0);
}

}  // namespace

void party_on_leader(uint32_t, int32_t status, net_msg::Payload payload) {
  if (payload.empty()) return;
  const uint32_t id = payload.u32(0);
  if (status != 0) return;
  change_flags(id, SCENE_FLAG_PARTY_LEADER, 0);
  if (is_own(id)) {
    party_members_reset();
    party_applicants_reset();
    req_party_members();
  } else {
    party_member_remove(id);
    party_applicant_remove(id);
  }
}

void party_on_apply_result(uint32_t, int32_t status, net_msg::Payload payload) {
  if (payload.empty()) return;
  switch (status) {
    case 1: {
      plat::ByteReader r = payload.reader();
      const PARTY_RECORD rec = read_record(r);
      party_applicant_add(rec);
      if (window_slots.ids[WINDOW_PARTY_APPLICANTS] >= 0) {
        game_screen_words.applicant_selection = -1;
        game_screen_words.applicant_first_shown = 0;
      } else {
        game_screen_words.applicants_arrived = 1;
      }
      return;
    }
    case 0: show_system_message("You have applied to the party leader, wait for his approval!", 0); return;
    case -3: show_system_message("The player is not a party leader!", 0); return;
    case -1: show_system_message("The list for application is full!", 0); return;
    case -2: show_system_message("You are already on the list of applicator, please wait!", 0); return;
    case -4: show_system_message("The group is full.", 0); return;
    default: return;
  }
}

void party_on_applicant_removed(uint32_t, int32_t status, net_msg::Payload payload) {
  if (status != 0) return;
  party_applicant_remove(payload.u32(0));
}

void party_on_member_flag(uint32_t, int32_t status, net_msg::Payload payload) {
  if (payload.empty()) return;
  const uint32_t id = payload.u32(0);
  if (status == 0) change_flags(id, SCENE_FLAG_PARTY_MEMBER, 0);
}

void party_on_member_left(uint32_t, int32_t arg, net_msg::Payload) {
  const uint32_t id = static_cast<uint32_t>(arg);
  const uint32_t both = SCENE_FLAG_PARTY_LEADER | SCENE_FLAG_PARTY_MEMBER;
  if (!is_own(id)) {
    change_flags(id, 0, both);
    party_member_remove(id);
    return;
  }
  const int32_t i = scene_find_char(id);
  if (i >= 0) {
    // Copies: the chat lines may not keep a pointer into the table.
    const uint32_t flags = scene_chars[static_cast<size_t>(i)].flags;
    const std::string name = scene_chars[static_cast<size_t>(i)].name;
    if (flags & SCENE_FLAG_PARTY_LEADER) chat_log_add(7, 0, "", "Note! You disband the party.", 0);
    if (flags & SCENE_FLAG_PARTY_MEMBER) chat_line(PARTY_LEFT_TEXT, name.c_str());
    change_flags(id, 0, both);
  }
  party_members_reset();
}

void party_on_member_joined(uint32_t, int32_t arg, net_msg::Payload payload) {
  if (arg < 0) return;
  const uint32_t id = static_cast<uint32_t>(arg);
  if (is_own(id)) {
    party_members_reset();
    req_party_members();
    if (pet_state.loaded) {
      for (int32_t slot = 0; slot < PET_COUNT; ++slot) {
        if (!pet_state.following[slot]) continue;
        req_pet_unfollow(pet_table[slot].id);
        break;
      }
    }
  } else {
    plat::ByteReader r = payload.reader();
    const PARTY_RECORD rec = read_record(r);
    party_member_add(rec);
    party_applicant_remove(id);
  }
  if (change_flags(id, SCENE_FLAG_PARTY_MEMBER, 0)) {
    const std::string name = scene_chars[static_cast<size_t>(scene_find_char(id))].name;
    chat_line("%s joined the party.", name.c_str());
  }
}

void party_on_applicants(uint32_t, int32_t count, net_msg::Payload payload) {
  if (count <= 0 || payload.size() != static_cast<uint64_t>(count) * PARTY_RECORD_SIZE) return;
  const std::vector<PARTY_RECORD> records = read_records(payload, count);
  party_applicants_reset();
  const size_t kept = records.size() < PARTY_APPLICANTS ? records.size() : PARTY_APPLICANTS;
  for (size_t i = 0; i < kept; ++i) party_applicant_add(records[i]);
}

void party_on_members(uint32_t, int32_t count, net_msg::Payload payload) {
  if (count < 1 || count > PARTY_MEMBERS || payload.size() != static_cast<uint64_t>(count) * PARTY_RECORD_SIZE) return;
  const std::vector<PARTY_RECORD> records = read_records(payload, count);
  party_members_reset();
  for (const PARTY_RECORD& rec : records) party_member_add(rec);
}

void party_on_applicants_cleared(uint32_t, int32_t status, net_msg::Payload) {
  if (status == 0) party_applicants_reset();
}

void party_on_member_value(uint32_t, int32_t id, net_msg::Payload payload) {
  const uint16_t value = payload.u16(0);
  const int32_t i = party_member_find(static_cast<uint32_t>(id));
  if (i >= 0) party_tables.members[i].value = value;
}

void party_on_rejected(uint32_t, int32_t, net_msg::Payload payload) {
  const std::string name = payload.text(0, PARTY_NAME_SIZE);
  char text[96];
  std::snprintf(text, sizeof text, "%s rejected your application for joining the group.", name.c_str());
  show_system_message(text, 0);
}

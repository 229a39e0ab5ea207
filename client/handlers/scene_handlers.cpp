// Entering and leaving the map scene, and the characters that appear, move and leave in it.
#include <cstring>
#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"
#include "client/game/task_state.h"
#include "client/handlers/client_handlers.h"
#include "client/net/net_link.h"
#include "client/res/res_tables.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/state/core_state.h"
#include "client/state/map_record.h"
#include "client/window/window_manager.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/tier0.h"
#include "social/macro/macro_system.h"
#include "ui/game_screen/game_screen_words.h"
#include "ui/game_screen/window_slots.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr int32_t kNicknameRecordSize = 20;

SCENE_CHAR_RECORD read_char(plat::ByteReader& r) {
  SCENE_CHAR_RECORD c{};
  plat::readFields(r, SCENE_CHAR_RECORD_FIELDS, c, SCENE_CHAR_RECORD_WALK);
  return c;
}

std::vector<SCENE_CHAR_RECORD> read_chars(net_msg::Payload payload, int32_t count) {
  return payload.fieldRecords<SCENE_CHAR_RECORD>(count, SCENE_CHAR_RECORD_FIELDS, SCENE_CHAR_RECORD_WALK);
}

std::vector<SCENE_POSITION_RECORD> read_positions(net_msg::Payload payload, int32_t count) {
  plat::ByteReader r = payload.records(count, SCENE_POSITION_RECORD_SIZE);
  std::vector<SCENE_POSITION_RECORD> out(static_cast<size_t>(count));
  for (SCENE_POSITION_RECORD& p : out) {
    p.id = r.u32("id");
    p.target_x = r.u16("x");
    p.target_y = r.u16("y");
    p.walking = r.u8("walking");
    r.skip(3, "tail");
  }
  return out;
}

// The own character as the scene now holds it: id, index and posture.
void take_own_char() {
  frame_input.own_char_id = scene_player_id;
  frame_input.own_scene_index = scene_find_char(scene_player_id);
}

}  // namespace

void scene_on_positions(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<SCENE_POSITION_RECORD> records = read_positions(payload, count);
  ++position_message_count;
  for (const SCENE_POSITION_RECORD& p : records) scene_update_char_position(p);
}

void scene_on_positions_reset(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<SCENE_POSITION_RECORD> records = read_positions(payload, count);
  ++position_message_count;
  for (const SCENE_POSITION_RECORD& p : records) {
    const int32_t i = scene_find_char(p.id);
    if (i < 0) continue;
    SCENE_CHAR& c = scene_chars[static_cast<size_t>(i)];
    c.x = c.target_x = p.target_x;
    c.y = c.target_y = p.target_y;
    c.time_stamp = frame_input.frame_time + SCENE_IDLE_DELAY_MS;
    scene_set_char_posture(i, 0);
  }
}

void scene_on_chars_entered(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<SCENE_CHAR_RECORD> records = read_chars(payload, count);
  const size_t after = static_cast<size_t>(count) * SCENE_CHAR_RECORD_SIZE;
  const uint32_t m = payload.u32(after);
  struct Nickname {
    uint32_t id;
    std::string name;
  };
  std::vector<Nickname> nicknames;
  std::vector<uint8_t> status;
  const uint64_t nick_bytes = static_cast<uint64_t>(m) * kNicknameRecordSize;
  // Nicknames only when the length passes the count word and all m records fit.
  if (payload.size() > after + 4 && nick_bytes <= payload.size() - after - 4) {
    nicknames.resize(m);
    for (uint32_t k = 0; k < m; ++k) {
      const size_t at = after + 4 + k * kNicknameRecordSize;
      nicknames[k] = {payload.u32(at), payload.text(at + 4, SCENE_CHAR_NICKNAME_SIZE - 1)};
    }
    if (count > 0 && payload.size() == after + 4 + nick_bytes + static_cast<uint64_t>(count)) {
      const auto bytes = payload.bytes(after + 4 + nick_bytes, static_cast<size_t>(count));
      status.assign(bytes.begin(), bytes.end());
    }
  }

  std::vector<int32_t> added(records.size());
  for (size_t i = 0; i < records.size(); ++i) added[i] = scene_add_char(records[i]);
  for (const Nickname& n : nicknames) {
    const int32_t i = scene_find_char(n.id);
    if (i < 0) continue;
    char(&nick)[SCENE_CHAR_NICKNAME_SIZE] = scene_chars[static_cast<size_t>(i)].nickname;
    std::memset(nick, 0, sizeof nick);
    std::memcpy(nick, n.name.data(), n.name.size());
  }
  for (size_t i = 0; i < status.size(); ++i)
    if (added[i] >= 0) scene_chars[static_cast<size_t>(added[i])].status = status[i];
}

void scene_on_chars_added(uint32_t, int32_t count, net_msg::Payload payload) {
  for (const SCENE_CHAR_RECORD& c : read_chars(payload, count)) scene_add_char(c);
}

void scene_on_chars_removed(uint32_t, int32_t count, net_msg::Payload payload) {
  plat::ByteReader r = payload.records(count, 4);
  std::vector<uint32_t> ids(static_cast<size_t>(count));
  for (uint32_t& id : ids) id = r.u32("id");
  for (uint32_t id : ids) scene_remove_char(id);
}

void scene_on_enter(uint32_t, int32_t status, net_msg::Payload) {
  if (status == -1) plat::tier0::error("enter scene return error, exit !");
  scene_in_scene = 1;
  int32_t& slot = window_slots.ids[WINDOW_CLOSED_BY_SCENE_ENTRY];
  if (slot >= 0) {
    window_remove(slot, 0);
    slot = -1;
  }
}

void scene_on_leave(uint32_t, int32_t status, net_msg::Payload) {
  if (status != 0) return;
  scene_in_scene = 0;
  if (net_chat_is_connected()) net_send_world(0x3000c, 0, nullptr, 0);
}

void weather_on_flags(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.empty()) return;
  uint32_t word = payload.u32(0);
  if (client_debug_switch_set()) word = 0;
  weather_apply_server_flags(static_cast<int32_t>(word));
}

void scene_on_own_char(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.empty()) return;
  plat::ByteReader r = payload.reader();
  const SCENE_CHAR_RECORD own = read_char(r);
  scene_clear_chars();
  scene_add_char(own);
  take_own_char();
  scene_load_char_display(frame_input.own_scene_index);
  if (frame_input.own_scene_index >= 0) player_posture = scene_chars[static_cast<size_t>(frame_input.own_scene_index)].posture;
}

void scene_on_map_change(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.size() != SCENE_MAP_RECORD_SIZE) return;
  plat::ByteReader r = payload.reader();
  SCENE_MAP_RECORD record{};
  plat::readFields(r, SCENE_MAP_RECORD_FIELDS, record, SCENE_MAP_RECORD_WALK);
  const std::string map_name = payload.text(0, SCENE_MAP_RECORD_NAME_SIZE);
  plat::ByteReader own_reader = payload.reader(88);
  const SCENE_CHAR_RECORD own = read_char(own_reader);

  if (record.map_number == 3) macro_raise_event(23, 1);
  if (record.map_number == 76) macro_raise_event(24, 1);
  const bool debug = client_debug_switch_set();
  if (debug) record.block_60[0] = 0;
  map_record_store(record);

  scene_clear_chars();
  scene_add_char(own);
  scene_player_id = own.id;
  take_own_char();
  const bool game_main = task_current_id() == TASK_GAME_MAIN;
  if (game_main && scene_map_hold == 0) map_change();
  scene_redraw_flag = 1;
  scene_load_char_display(frame_input.own_scene_index);
  scene_in_scene = 0;
  if (frame_input.own_scene_index >= 0) player_posture = scene_chars[static_cast<size_t>(frame_input.own_scene_index)].posture;
  if (game_main && scene_map_hold == 0 && scene_draw_hold == 0) {
    scene_draw_frame(screen_new);
    if (!debug) screen_transition_random();
  }

  map_npcs.clear();
  for (int32_t i = 0; i < res_npc_count(); ++i) {
    const RES_NPC_ENTRY* npc = res_npc_entry(i);
    if (!npc) continue;
    const std::string npc_map(npc->map_name, strnlen(npc->map_name, sizeof npc->map_name));
    if (npc_map == map_name) map_npcs.push_back(i);
  }
  if (record.map_number == 98 || record.map_number == 103 || record.map_number == 3) game_screen_words.state_word = 0;
}

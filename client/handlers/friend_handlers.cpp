// The chat server address, the client options request, the friend list and the player search.
#include <cstdio>
#include <string>
#include <vector>

#include "client/handlers/client_handlers.h"
#include "client/net/net_link.h"
#include "client/settings/settings.h"
#include "client/state/core_state.h"
#include "client/ui/message_box.h"
#include "social/chat_msg/chat_msg_dispatch.h"
#include "social/friends/friend_table.h"
#include "ui/game_leave/game_leave_mode.h"

namespace {

// The apostrophe is a double-byte character of the game's code page.
constexpr const char* kNotOnline = "The player doesn\xA1\xAFt exsit or is offline.";
constexpr int32_t kFriendNameMax = 14;

void read_words(net_msg::Payload payload, uint32_t (&words)[FRIEND_RECORD_WORDS]) {
  plat::ByteReader r = payload.reader();
  for (uint32_t& w : words) w = r.u32("friend record");
}

}  // namespace

void chat_server_on_address(uint32_t, int32_t version, net_msg::Payload payload) {
  if (payload.empty()) return;
  const uint32_t host = payload.u32(0);
  const uint32_t port = payload.u32(4);
  if (net_connect_chat(host, static_cast<int32_t>(port), static_cast<uint32_t>(version), chat_msg_dispatch) != 0) {
    show_message_box("Chat server error!", 1);
    game_leave_to_login();
    return;
  }
  const auto block = settings_option_block(settings);
  net_send_chat(0x3001c, 0, block.data(), static_cast<uint32_t>(block.size()));
  net_send_chat(0x40246, 0, nullptr, 0);
}

void options_on_request(uint32_t, int32_t, net_msg::Payload) {
  const auto block = settings_option_block(settings);
  net_send_world(0x3001c, 0, block.data(), static_cast<uint32_t>(block.size()));
}

void friend_on_list(uint32_t, int32_t count, net_msg::Payload payload) {
  plat::ByteReader r = payload.records(count, FRIEND_RECORD_SIZE);
  const int32_t kept = count < FRIEND_RECORDS ? count : FRIEND_RECORDS;
  std::vector<FRIEND_RECORD> records(static_cast<size_t>(kept));
  for (FRIEND_RECORD& f : records) r.copy(f.bytes, FRIEND_RECORD_SIZE, "friend record");
  friend_table_reset();
  for (int32_t i = 0; i < kept; ++i) friend_table[i] = records[static_cast<size_t>(i)];
  friend_count = kept;
  friend_display_rebuild();
}

void friend_on_add_result(uint32_t, int32_t status, net_msg::Payload payload) {
  if (status == -1) {
    show_system_message(kNotOnline, 0);
  } else if (status == -2) {
    show_system_message("The target doesn\xA1\xAFt open the friendlist switch!", 0);
  } else if (status == 0 && payload.size() == FRIEND_RECORD_SIZE) {
    uint32_t words[FRIEND_RECORD_WORDS];
    read_words(payload, words);
    friend_on_added(words);
  } else if (status == 1 && !payload.empty()) {
    const std::string name = payload.text(0, kFriendNameMax);
    char text[64];
    std::snprintf(text, sizeof text, "%s added you as a friend! ", name.c_str());
    show_system_message(text, 0);
  }
}

void friend_on_record_msg(uint32_t, int32_t status, net_msg::Payload payload) {
  if (status == 0 && payload.size() == FRIEND_RECORD_SIZE) {
    uint32_t words[FRIEND_RECORD_WORDS];
    read_words(payload, words);
    friend_on_record(words);
  } else if (status == -1) {
    show_system_message("Your friend is not online!", 0);
  }
}

void friend_on_online(uint32_t, int32_t id, net_msg::Payload payload) {
  friend_on_online_state(static_cast<uint32_t>(id), payload.u8(0));
}

void friend_on_offline(uint32_t, int32_t id, net_msg::Payload) { friend_on_online_state(static_cast<uint32_t>(id), 0); }

void friend_on_kind_msg(uint32_t, int32_t id, net_msg::Payload payload) {
  if (payload.empty()) return;
  friend_on_kind(static_cast<uint32_t>(id), payload.u32(0));
}

void friend_on_points_msg(uint32_t, int32_t id, net_msg::Payload payload) {
  friend_on_points(static_cast<uint32_t>(id), payload.u32(0));
}

void player_on_search_result(uint32_t, int32_t status, net_msg::Payload payload) {
  if (status == 0 && payload.size() == sizeof player_search_result) {
    uint32_t words[7];
    plat::ByteReader r = payload.reader();
    for (uint32_t& w : words) w = r.u32("search record");
    for (int i = 0; i < 7; ++i) player_search_result[i] = words[i];
    return;
  }
  show_system_message(kNotOnline, 0);
}

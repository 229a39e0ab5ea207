// The request senders: what each puts on the world link, the state it touches, and nothing while
// a record is replayed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/game/replay_state.h"
#include "client/requests/requests.h"
#include "client/state/pet_table.h"
#include "client/state/player_state.h"
#include "items/bag/bag_page.h"
#include "items/bag/item_lock.h"
#include "tests/client/handler_payloads.h"
#include "tests/client/net_msg_fixture.h"
#include "ui/game_screen/interaction_target.h"

namespace {

using handler_test::Bytes;
using Senders = net_msg_test::NetMsgTest;

struct SenderCase {
  const char* name;
  std::function<int()> send;
  uint32_t id;
  int32_t arg;
  std::string payload;
};

// Player and pets as the senders read them: pets 41 (slot 0) and 42 (slot 1, shown, active).
void fillState() {
  std::memcpy(player_state.pending, "\x01\x00\x02\x00\x03\x00\x04\x00\x05\x00", POINT_ALLOCATION_SIZE);
  player_state.stat_refresh = 1;
  pet_table[0].id = 41;
  pet_table[1].id = 42;
  std::memcpy(pet_state.pending[1], "\x0A\x00\x0B\x00\x0C\x00\x0D\x00\x0E\x00", 10);
  pet_state.loaded = 1;
  pet_state.count = 2;
  pet_state.active_id = 42;
  pet_state.active_index = 1;
  pet_current_index = 1;
  item_lock_mode = 1;
  bag_page = 2;
}

std::vector<SenderCase> senderCases() {
  auto wrap = [](void (*f)(uint32_t, uint32_t), uint32_t a, uint32_t b) {
    return [=] {
      f(a, b);
      return 0;
    };
  };
  return {
      {"req_party_leave", [] { return req_party_leave(0x80000005u); }, 0x30034, static_cast<int32_t>(0x80000005u), ""},
      {"req_party_members", [] { return req_party_members(); }, 0x30037, 0, ""},
      {"req_party_accept", [] { return req_party_accept(8); }, 0x30033, 8, ""},
      {"req_party_decline", [] { return req_party_decline(9); }, 0x30032, 9, ""},
      {"req_object_interact", [] { return req_object_interact(1, 700, 0x01020304); }, 0x40002, 700,
       Bytes().u32(0x01020304)},
      {"req_quest_list", [] { return req_quest_list(); }, 0x40005, 0, ""},
      {"req_allocate_points", [] { return req_allocate_points(); }, 0x50002, 0,
       Bytes().u16(1).u16(2).u16(3).u16(4).u16(5)},
      {"req_char_details", [] { return req_char_details(); }, 0x50005, 0, ""},
      {"req_pet_clear_active", [] { return req_pet_clear_active(); }, 0x60009, 42, ""},
      {"req_pet_set_active", [] { return req_pet_set_active(41); }, 0x60008, 41, ""},
      {"req_pet_unfollow", [] { return req_pet_unfollow(41); }, 0x60007, 41, ""},
      {"req_pet_follow", [] { return req_pet_follow(42); }, 0x60006, 42, ""},
      {"req_pet_allocate_points", [] { return req_pet_allocate_points(42); }, 0x60003, 42,
       Bytes().u16(10).u16(11).u16(12).u16(13).u16(14)},
      {"req_pet_details", [] { return req_pet_details(); }, 0x6000c, 0, ""},
      {"req_pet_release", [] { return req_pet_release(); }, 0x6000b, 42, ""},
      {"req_periodic_ping", [] { return req_periodic_ping(); }, 0x90001, 0, ""},
      {"req_skill_list", [] { return req_skill_list(); }, 0xb0001, 0, ""},
      {"req_pet_skill_list", [] { return req_pet_skill_list(); }, 0xb0003, 42, ""},
      {"req_battle_ready", [] { return req_battle_ready(); }, 0xc0002, 0, ""},
      {"req_battle_action_done", [] { return req_battle_action_done(); }, 0xc0007, 0, ""},
      {"req_scene_status", [] { return req_scene_status(); }, 0xc0013, 0, ""},
      {"req_restore_player_hp", [] { return req_restore_player_hp(); }, 0xd0001, 0, ""},
      {"req_restore_player_mp", [] { return req_restore_player_mp(); }, 0xd0002, 0, ""},
      {"req_restore_pet_hp", [] { return req_restore_pet_hp(42); }, 0xd0003, 0, ""},
      {"req_restore_pet_mp", [] { return req_restore_pet_mp(42); }, 0xd0004, 0, ""},
      {"req_pet_use_item", wrap(req_pet_use_item, 77, 5), 0xd0005, 77, Bytes().u32(5 + 24 * 2)},
      {"req_title_list", [] { return req_title_list(); }, 0xe0002, 0, ""},
      {"req_title_set", [] { return req_title_set(0xFFFE); }, 0xe0004, -2, ""},
      {"req_title_set", [] { return req_title_set(0x7FFF); }, 0xe0004, 0x7FFF, ""},
      {"req_title_clear", [] { return req_title_clear(); }, 0xe0005, 0, ""},
      // Last: it resets the pet state the others read.
      {"req_pet_list", [] { return req_pet_list(); }, 0x60001, 0, ""},
  };
}

TEST_F(Senders, Table) {
  world->sendResult = 7;  // each returns the link's result
  for (const SenderCase& c : senderCases()) {
    SCOPED_TRACE(c.name);
    fillState();
    world->sends.clear();
    const int result = c.send();
    ASSERT_EQ(world->sends.size(), 1u);
    EXPECT_EQ(world->sends[0].id, c.id);
    EXPECT_EQ(world->sends[0].arg, c.arg);
    EXPECT_EQ(std::string(world->sends[0].payload.begin(), world->sends[0].payload.end()), c.payload);
    if (c.id != 0xd0005) {
      EXPECT_EQ(result, 7);
    }
  }

  // While a record is replayed nothing goes out and each returns 0.
  replaying = 1;
  world->sends.clear();
  for (const SenderCase& c : senderCases()) {
    SCOPED_TRACE(c.name);
    fillState();
    EXPECT_EQ(c.send(), 0);
  }
  replaying = 0;
  EXPECT_TRUE(world->sends.empty());
}

// What the senders do to the state around their message.
TEST_F(Senders, StateAroundTheMessage) {
  fillState();
  ASSERT_EQ(req_allocate_points(), 0);
  EXPECT_EQ(player_state.stat_refresh, 0);

  ASSERT_EQ(req_pet_list(), 0);
  EXPECT_EQ(pet_state.loaded, 0);
  EXPECT_EQ(pet_state.active_index, PET_NO_INDEX);
  EXPECT_EQ(pet_state.count, 0u);
  EXPECT_EQ(pet_table[1].id, 42u);  // the records stay until the reply

  // The walk stops before the request; the target is remembered after it.
  ASSERT_EQ(req_object_interact(1, 700, 0), 0);
  EXPECT_EQ(seam_call_count("player_walk_stop"), 1);
  EXPECT_EQ(interaction_target_id, 700u);
  EXPECT_EQ(world->sends.size(), 3u);
}

// Senders with nothing to send: a pet not in the table, no pet shown, an empty shown slot, the
// bag outside its item-lock mode.
TEST_F(Senders, NothingToSend) {
  fillState();
  EXPECT_EQ(req_pet_allocate_points(43), -1);
  EXPECT_EQ(req_pet_allocate_points(0), -1);  // empty slots hold id 0
  pet_current_index = 5;                     // an empty slot
  EXPECT_EQ(req_pet_release(), -1);
  pet_current_index = -1;
  EXPECT_EQ(req_pet_release(), -1);
  EXPECT_EQ(req_pet_skill_list(), -1);
  item_lock_mode = 0;
  req_pet_use_item(77, 5);
  EXPECT_TRUE(world->sends.empty());
}

}  // namespace

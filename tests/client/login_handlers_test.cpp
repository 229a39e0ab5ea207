// The login, character, scene, friend and party handlers through the real dispatcher table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/game/frame_input.h"
#include "client/game/task_state.h"
#include "client/settings/settings.h"
#include "client/state/core_state.h"
#include "client/state/login_state.h"
#include "client/state/map_record.h"
#include "client/state/party_tables.h"
#include "client/state/pet_table.h"
#include "client/record/record.h"
#include "client/ui/message_box.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "social/chat_log/chat_log.h"
#include "social/macro/macro_system.h"
#include "social/friends/friend_table.h"
#include "tests/client/handler_payloads.h"
#include "tests/client/net_msg_fixture.h"
#include "ui/game_screen/game_screen_words.h"
#include "ui/nickname/nickname_window.h"

namespace {

using handler_test::Bytes;
using handler_test::charRecord;
using handler_test::mapRecord;
using handler_test::partyRecord;
using handler_test::sceneChar;

class LoginHandlers : public net_msg_test::NetMsgTest {
 protected:
  // A click a little later ends the modal box the next dispatch opens.
  void dismissNextBox() { scheduleMessage(elapsedMs() + 200, plat::WM_LBUTTONUP, 0, (10 << 16) | 10); }

  std::vector<uint32_t> sentIds(veldra_test::FakeNetClient* link) const {
    std::vector<uint32_t> ids;
    if (link)
      for (const auto& m : link->sends) ids.push_back(m.id);
    return ids;
  }

  bool debugLine(const std::string& text) {
    for (const std::string& l : hp().debugLines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

  // The player's own character in the scene.
  void enterOwn(uint32_t id, const std::string& name, uint32_t flags = 0) {
    frame_input.own_char_id = id;
    dispatch(0x30012, 1, sceneChar(id, name, 1, 1, 0, flags));
  }
};

TEST_F(LoginHandlers, LoginReplyAdmitsAndAsksForTheCharacters) {
  frame_input.frame_time = 7000;
  dispatch(0x20001, 0, Bytes().u32(0xABCD).u32(1000));
  EXPECT_TRUE(debugLine("CHECK OK"));
  EXPECT_EQ(login_state.done, 1);
  EXPECT_EQ(server_clock.valid, 1);
  EXPECT_EQ(server_clock.login_value, 0xABCDu);
  EXPECT_EQ(server_clock.offset, 993);
  EXPECT_EQ(sentIds(world), std::vector<uint32_t>{0x30007});
}

TEST_F(LoginHandlers, LoginReplyWhileQueuedOnlyWritesTheLine) {
  dispatch(0x130005, 5, Bytes().u32(3));
  EXPECT_TRUE(debugLine("wait login,5-3"));
  EXPECT_EQ(login_state.wait_seconds, 5);
  EXPECT_EQ(login_state.queue_position, 3);
  dispatch(0x20001, 0, Bytes().u32(1).u32(2));
  EXPECT_TRUE(debugLine("CHECK OK"));
  EXPECT_EQ(login_state.done, 0);
  EXPECT_TRUE(world->sends.empty());
}

TEST_F(LoginHandlers, LoginReplyStatuses) {
  struct Case {
    int32_t status;
    const char* text;  // in error.txt (box) or nullptr
    bool system_message, exits;
  } cases[] = {
      {1, "Invalid account name or password, please enter again", false, false},
      {3, "Invalid account name or password, please enter again", false, false},
      {4, "The account has not yet been activated.", false, false},
      {6, "The IP has been blocked, unable to log in", false, false},
      {8, "The account ID has been locked.", true, false},
      {5, "The account has been closed, please contact GM", false, true},
      {7, "Invalid account name, please note capitallization", false, true},
      {9, nullptr, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    TearDown();
    SetUp();
    dismissNextBox();
    if (c.exits) {
      try {
        dispatch(0x20001, c.status);
        ADD_FAILURE() << "no exit";
      } catch (const plat::test::ExitCalled& e) {
        EXPECT_EQ(e.code, 0);
      }
    } else {
      dispatch(0x20001, c.status);
    }
    if (c.system_message) {
      EXPECT_NE(system_message_deadline, 0u);  // the self-closing box ran
    } else if (c.text) {
      EXPECT_EQ(logLines(c.text).size(), 1u);
    } else {
      EXPECT_EQ(errorTxt().find("Except code"), std::string::npos);
    }
    EXPECT_TRUE(world->sends.empty());
    EXPECT_EQ(login_state.done, 0);
  }
}

TEST_F(LoginHandlers, CharacterSelectReply) {
  dispatch(0x30008, 0x00020000);
  EXPECT_EQ(char_selected_flag, 1);
  EXPECT_EQ(popups(), std::vector<std::string>{"This character hase been logged in."});
  EXPECT_EQ(net_link.own_disconnect, 0);

  char_selected_flag = 0;
  dismissNextBox();
  dispatch(0x30008, 0x00030001);
  EXPECT_EQ(logLines("Users have logged in through 3line").size(), 1u);
  EXPECT_EQ(net_link.own_disconnect, 1);
  EXPECT_EQ(char_selected_flag, 0);

  dismissNextBox();
  dispatch(0x30008, 0x00000001);
  EXPECT_EQ(logLines("select character return error, exit !").size(), 1u);
}

TEST_F(LoginHandlers, CharacterListReplacesThePreviousOne) {
  dispatch(0x30007, 2, charRecord(11, "Ann", 1, 0, 0, 45) + charRecord(12, "Bob", 2, 1, 2, 30));
  ASSERT_EQ(char_list.size(), 2u);
  EXPECT_STREQ(char_list[1].name, "Bob");
  EXPECT_EQ(char_list[1].race, 2);
  EXPECT_EQ(char_list[1].rebirth, 2);
  EXPECT_EQ(char_list[0].level, 45);
  dispatch(0x30007, 1, charRecord(13, "Cy", 3, 1, 0, 7));
  ASSERT_EQ(char_list.size(), 1u);
  EXPECT_EQ(char_list[0].id, 13u);
  EXPECT_TRUE(world->sends.empty());

  // A 15-byte name without its NUL keeps 14 characters, never half a double-byte one.
  dispatch(0x30007, 1, charRecord(14, "abcdefghijklm\xD6\xD0", 0, 0, 0, 1));
  EXPECT_STREQ(char_list[0].name, "abcdefghijklm");
}

TEST_F(LoginHandlers, CharacterListErrorLeavesNone) {
  dispatch(0x30007, 1, charRecord(13, "Cy", 3, 1, 0, 7));
  dismissNextBox();
  dispatch(0x30007, -1);
  EXPECT_EQ(logLines("get char list error").size(), 1u);
  EXPECT_TRUE(char_list.empty());
}

TEST_F(LoginHandlers, CharacterListDuringALoginRetrySelectsAgain) {
  link_lost_word = 2;
  selected_char_id = 77;
  const uint32_t before = hp().clock().ms();
  dispatch(0x30007, 1, charRecord(77, "Ann", 0, 0, 0, 1));
  EXPECT_GE(hp().clock().ms() - before, 500u);
  ASSERT_EQ(sentIds(world), std::vector<uint32_t>{0x30008});
  EXPECT_EQ(world->sends[0].arg, 77);
  EXPECT_TRUE(world->sends[0].payload.empty());
}

TEST_F(LoginHandlers, CharactersEnteringWithNicknamesAndStatus) {
  struct Case {
    size_t length;
    bool nickname, status, dropped;
  } cases[] = {{194, true, true, false}, {192, true, false, false}, {172, false, false, false}, {171, false, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    TearDown();
    SetUp();
    std::string p = sceneChar(1, "One") + sceneChar(2, "Two");
    p += Bytes().u32(1).u32(2).text("Nick", 16).u8(0x21).u8(0x42).s;
    dispatch(0x3000a, 2, p.substr(0, c.length));
    if (c.dropped) {
      EXPECT_EQ(scene_chars.count, 0);
      EXPECT_EQ(logLines("Except code").size(), 1u);
      continue;
    }
    ASSERT_EQ(scene_chars.count, 2);
    EXPECT_STREQ(scene_chars[1].nickname, c.nickname ? "Nick" : "");
    EXPECT_EQ(scene_chars[0].status, c.status ? 0x21 : 0);
    EXPECT_EQ(scene_chars[1].status, c.status ? 0x42 : 0);
  }
}

TEST_F(LoginHandlers, PartyListsKeepTheirBounds) {
  std::string six;
  for (uint32_t i = 0; i < 6; ++i) six += partyRecord(100 + i, "m");
  dispatch(0x30037, 6, six);
  EXPECT_TRUE(party_record_free(party_tables.members[0]));
  std::string many;
  for (uint32_t i = 0; i < 25; ++i) many += partyRecord(200 + i, "a");
  dispatch(0x30036, 25, many);
  EXPECT_EQ(party_tables.applicant_count, 20);
  EXPECT_EQ(party_tables.applicants[19].id, 219u);
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(LoginHandlers, OwnJoinResetsMembersAndStopsTheFollowingPet) {
  frame_input.own_char_id = 5;
  party_member_add(PARTY_RECORD{9, "x", 0, 0});
  pet_state.loaded = 1;
  pet_table[1].id = 41;
  pet_table[2].id = 42;
  pet_table[3].id = 43;
  pet_state.following[2] = pet_state.following[3] = 1;
  dispatch(0x30035, 5);
  EXPECT_TRUE(party_record_free(party_tables.members[0]));
  ASSERT_EQ(sentIds(world), (std::vector<uint32_t>{0x30037, 0x60007}));
  EXPECT_EQ(world->sends[1].arg, 42);
}

TEST_F(LoginHandlers, AnotherJoinsThenLeaves) {
  enterOwn(5, "Me");
  dispatch(0x30012, 1, sceneChar(8, "Pal"));
  party_applicant_add(PARTY_RECORD{8, "Pal", 0, 0});
  dispatch(0x30035, 8, partyRecord(8, "Pal"));
  EXPECT_EQ(party_tables.members[0].id, 8u);
  EXPECT_EQ(party_tables.applicant_count, 0);
  EXPECT_EQ(scene_chars[static_cast<size_t>(scene_find_char(8))].flags, SCENE_FLAG_PARTY_MEMBER);
  EXPECT_EQ(chatLines(), std::vector<std::string>{"Pal joined the party."});

  scene_chars[static_cast<size_t>(scene_find_char(8))].flags |= SCENE_FLAG_PARTY_LEADER;
  dispatch(0x30034, 8);
  EXPECT_EQ(scene_chars[static_cast<size_t>(scene_find_char(8))].flags, 0u);
  EXPECT_EQ(chatLines().back(), "Note! Pal left the party.");
  EXPECT_TRUE(party_record_free(party_tables.members[0]));
}

TEST_F(LoginHandlers, OwnLeaveDisbands) {
  enterOwn(5, "Me", SCENE_FLAG_PARTY_LEADER | SCENE_FLAG_PARTY_MEMBER);
  party_member_add(PARTY_RECORD{9, "x", 0, 0});
  dispatch(0x30034, 5);
  EXPECT_EQ(chatLines(), (std::vector<std::string>{"Note! You disband the party.", "Note! Me left the party."}));
  EXPECT_EQ(scene_chars[0].flags, 0u);
  EXPECT_TRUE(party_record_free(party_tables.members[0]));
}

TEST_F(LoginHandlers, SceneEntryNeedsExactly172Bytes) {
  for (size_t length : {171u, 173u}) {
    std::string p = mapRecord("Town", 3, 5);
    p.resize(length, '\0');
    dispatch(0x30100, 0, p);
  }
  EXPECT_EQ(map_state.map_file[0], '\0');
  int32_t events = 0;
  macro_raised_events(&events);
  EXPECT_EQ(events, 0);

  scene_in_scene = 1;
  game_screen_words.state_word = 9;
  dispatch(0x30100, 0, mapRecord("Town", 3, 5));
  EXPECT_STREQ(map_state.map_file, "MAP003.MAP");
  EXPECT_EQ(scene_in_scene, 0);
  EXPECT_EQ(frame_input.own_char_id, 5u);
  EXPECT_EQ(frame_input.own_scene_index, 0);
  EXPECT_EQ(player_posture, 2);
  EXPECT_EQ(game_screen_words.state_word, 0);
  EXPECT_EQ(seam_call_count("map_change"), 0);  // not in the game main task
  dispatch(0x30100, 0, mapRecord("Field", 76, 5));
  const MACRO_EVENT_RECORD* e = macro_raised_events(&events);
  ASSERT_EQ(events, 2);
  EXPECT_EQ(e[0].event, 23);
  EXPECT_EQ(e[1].event, 24);
  EXPECT_EQ(e[1].arg, 1);
}

TEST_F(LoginHandlers, SceneEnterAndItsFatalError) {
  window_slots.ids[WINDOW_CLOSED_BY_SCENE_ENTRY] = 12345;  // no such window: the remove fails quietly
  dispatch(0x3000c, 0);
  EXPECT_EQ(scene_in_scene, 1);
  EXPECT_EQ(window_slots.ids[WINDOW_CLOSED_BY_SCENE_ENTRY], -1);
  try {
    dispatch(0x3000c, -1);
    ADD_FAILURE() << "no exit";
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code & 0xFF, 255);
  }
  ASSERT_FALSE(hp().boxes().empty());
  EXPECT_NE(hp().boxes().back().text.find("enter scene return error, exit !"), std::string::npos);
}

TEST_F(LoginHandlers, ChatAddressConnectsAndSendsTheOptions) {
  dispatch(0x30004, 0x123, Bytes().u32(0x0100007F).u32(5000));
  veldra_test::FakeNetClient* chat = veldra_test::FakeNetModule::chat();
  ASSERT_NE(chat, nullptr);
  EXPECT_EQ(chat->port, 5000);
  EXPECT_EQ(chat->version, 0x123u);
  ASSERT_EQ(sentIds(chat), (std::vector<uint32_t>{0x3001c, 0x40246}));
  EXPECT_EQ(chat->sends[0].payload.size(), 12u);
  const auto block = settings_option_block(settings);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), chat->sends[0].payload.begin()));
}

TEST_F(LoginHandlers, ChatAddressRefusedLeavesToLogin) {
  veldra_test::FakeNetModule::chat()->connectResult = -1;
  dismissNextBox();
  dispatch(0x30004, 0, Bytes().u32(0x0100007F).u32(5000));
  EXPECT_EQ(logLines("Chat server error!").size(), 1u);
  EXPECT_TRUE(veldra_test::FakeNetModule::chat()->sends.empty());
  EXPECT_EQ(net_link.world_connected, 0);
}

TEST_F(LoginHandlers, FriendsAndSearch) {
  std::string list;
  for (uint32_t i = 0; i < 3; ++i) list += Bytes().u32(i + 1).zeros(84).s;
  dispatch(0x30016, 3, list);
  EXPECT_EQ(friend_count, 3);
  EXPECT_EQ(friend_table[2].bytes[0], 3);
  dispatch(0x3001a, 7, Bytes().u8(1));
  dispatch(0x3001d, 7, Bytes().u32(4));
  dispatch(0x30020, 7, Bytes().u32(90));
  int32_t n = 0;
  const FRIEND_CALL* calls = friend_calls(&n);
  std::vector<std::string> names;
  for (int32_t i = 0; i < n; ++i) names.emplace_back(calls[i].name);
  EXPECT_EQ(names, (std::vector<std::string>{"friend_table_reset", "friend_display_rebuild", "friend_on_online_state",
                                              "friend_on_kind", "friend_on_points"}));
  EXPECT_EQ(calls[4].value, 90u);

  dispatch(0x30017, 1, "Zed");
  dispatch(0x3001e, 0, Bytes().u32(1).s);  // not 28 bytes
  EXPECT_EQ(popups(), (std::vector<std::string>{"Zed added you as a friend! ",
                                                "The player doesn\xA1\xAFt exsit or is offline."}));
}

TEST_F(LoginHandlers, PositionsMoveTheWalkTargetAndCount) {
  scene_player_id = 6;  // 6 is the player: it wears its look and walks; far characters jump
  dispatch(0x30012, 2, sceneChar(6, "A", 10, 20) + sceneChar(7, "B", 10, 20));
  scene_chars[1].posture = 3;
  frame_input.frame_time = 1000;
  dispatch(0x30001, 2, Bytes().u32(6).u16(50).u16(60).u8(1).zeros(3).u32(99).u16(1).u16(1).u8(1).zeros(3));
  EXPECT_EQ(scene_chars[0].target_x, 50);
  EXPECT_EQ(scene_chars[0].target_y, 60);
  EXPECT_EQ(scene_chars[0].x, 10);  // the walk moves it, not the message
  EXPECT_EQ(scene_chars[0].walking, 1);
  dispatch(0x30003, 1, Bytes().u32(7).u16(70).u16(80).u8(1).zeros(3));
  EXPECT_EQ(scene_chars[1].x, 70);
  EXPECT_EQ(scene_chars[1].target_y, 80);
  EXPECT_EQ(scene_chars[1].posture, 0);
  EXPECT_EQ(scene_chars[1].time_stamp, 16000u);
  EXPECT_EQ(position_message_count, 2u);
  dispatch(0x3001f, 2, Bytes().u32(6).u32(12345));
  ASSERT_EQ(scene_chars.count, 1);
  EXPECT_EQ(scene_find_char(7), 0);
  EXPECT_EQ(scene_find_char(6), -2);
}

// A name or nickname that fills its field without a NUL keeps whole characters only; a title
// that fills its 27 bytes is kept whole.
TEST_F(LoginHandlers, SceneNamesAreCutOnACharacter) {
  std::string p = sceneChar(1, "abcdefghijklmnopqrs\xD6\xD0");
  const std::string title = std::string(25, 't') + "\xD6\xD0";
  p.replace(25, 27, title);
  p += Bytes().u32(1).u32(1).text("abcdefghijklmn\xD6\xD0", 16).u8(0).s;
  dispatch(0x3000a, 1, p);
  ASSERT_EQ(scene_chars.count, 1);
  EXPECT_STREQ(scene_chars[0].name, "abcdefghijklmnopqrs");
  EXPECT_STREQ(scene_chars[0].nickname, "abcdefghijklmn");
  EXPECT_EQ(std::string(scene_chars[0].title), title);
}

TEST_F(LoginHandlers, OwnCharacterAndLeavingTheScene) {
  scene_player_id = 5;
  dispatch(0x30012, 1, sceneChar(9, "Other"));
  dispatch(0x30060, 0, sceneChar(5, "Me", 1, 2, 3));
  ASSERT_EQ(scene_chars.count, 1);
  EXPECT_EQ(frame_input.own_char_id, 5u);
  EXPECT_EQ(frame_input.own_scene_index, 0);
  EXPECT_EQ(player_posture, 3);
  EXPECT_GE(scene_chars[0].look_handle, 0) << "the own character's look is loaded";

  scene_in_scene = 1;
  dispatch(0x30010, 1);
  EXPECT_EQ(scene_in_scene, 1);
  dispatch(0x30010, 0);
  EXPECT_EQ(scene_in_scene, 0);
  EXPECT_TRUE(world->sends.empty());  // no chat link: no new entry asked
  ASSERT_EQ(net_connect_chat(1, 2, 3, nullptr), 0);
  dispatch(0x30010, 0);
  EXPECT_EQ(sentIds(world), std::vector<uint32_t>{0x3000c});
}

TEST_F(LoginHandlers, WeatherAndOptions) {
  dispatch(0x30015, 0, Bytes().u32(0x44));
  EXPECT_EQ(game_screen_words.weather_flags, 0x44);
  record_state.hold = 1;  // a debug switch keeps the weather off
  dispatch(0x30015, 0, Bytes().u32(0x44));
  EXPECT_EQ(game_screen_words.weather_flags, 0);
  EXPECT_EQ(game_screen_words.weather_applies, 2);
  record_state.hold = 0;
  dispatch(0x3001c, 0);
  ASSERT_EQ(sentIds(world), std::vector<uint32_t>{0x3001c});
  EXPECT_EQ(world->sends[0].payload.size(), 12u);
}

TEST_F(LoginHandlers, Nicknames) {
  dispatch(0x3000e, 0);
  EXPECT_EQ(nickname_accepted_flag, 1);
  dispatch(0x3000e, -1);
  EXPECT_EQ(popups(), std::vector<std::string>{"Sorry, the nickname is not available!"});
  dismissNextBox();
  dispatch(0x3000e, -2);
  EXPECT_EQ(logLines("The nickname is not available").size(), 1u);

  dispatch(0x30007, 2, charRecord(11, ".tmp", 0, 0, 0, 1) + charRecord(12, "Bob", 0, 0, 0, 1));
  nickname_window_open = 1;
  dispatch(0x30063, 11, "A very long new name");
  EXPECT_STREQ(char_list[0].name, "A very long ne");
  EXPECT_STREQ(char_list[1].name, "Bob");
  EXPECT_EQ(nickname_window_open, 0);  // closed
  dismissNextBox();
  dispatch(0x30063, -1);
  EXPECT_EQ(logLines("Please enter a nickname!").size(), 1u);
}

TEST_F(LoginHandlers, AccountEndMessagesMarkTheOwnDisconnect) {
  dismissNextBox();
  dispatch(0x30013, 0);
  EXPECT_EQ(net_link.own_disconnect, 1);
  EXPECT_EQ(logLines("Other character of the same account is still in game").size(), 1u);
  net_link.own_disconnect = 0;
  dismissNextBox();
  dispatch(0x30014, 0);
  EXPECT_EQ(net_link.own_disconnect, 1);
  EXPECT_EQ(logLines("The account is being used by other player").size(), 1u);
}

TEST_F(LoginHandlers, Applications) {
  dispatch(0x30031, 1, partyRecord(8, "Pal"));
  EXPECT_EQ(party_tables.applicants[0].id, 8u);
  EXPECT_EQ(game_screen_words.applicants_arrived, 1);
  window_slots.ids[WINDOW_PARTY_APPLICANTS] = 4;
  game_screen_words.applicant_first_shown = 3;
  game_screen_words.applicant_selection = 2;
  dispatch(0x30031, 1, partyRecord(9, "Sue"));
  EXPECT_EQ(game_screen_words.applicant_first_shown, 0);
  EXPECT_EQ(game_screen_words.applicant_selection, -1);
  EXPECT_EQ(party_tables.applicant_count, 2);
  dispatch(0x30032, 0, Bytes().u32(8));
  EXPECT_EQ(party_tables.applicants[0].id, 9u);
  dispatch(0x30038, 0);
  EXPECT_EQ(party_tables.applicant_count, 0);
  dispatch(0x30031, -4, "x");
  dispatch(0x30040, 0, "Zed");
  EXPECT_EQ(popups(), (std::vector<std::string>{"The group is full.",
                                                "Zed rejected your application for joining the group."}));
}

TEST_F(LoginHandlers, LeaderAndMemberValue) {
  enterOwn(5, "Me");
  dispatch(0x30012, 1, sceneChar(8, "Pal"));
  party_member_add(PARTY_RECORD{8, "Pal", 0, 0});
  dispatch(0x30039, 8, Bytes().u16(77));
  EXPECT_EQ(party_tables.members[0].value, 77);
  dispatch(0x30033, 0, Bytes().u32(5));
  EXPECT_EQ(scene_chars[0].flags, SCENE_FLAG_PARTY_MEMBER);
  // Another leader: it leaves the member table.
  dispatch(0x30030, 0, Bytes().u32(8));
  EXPECT_EQ(scene_chars[1].flags, SCENE_FLAG_PARTY_LEADER);
  EXPECT_TRUE(party_record_free(party_tables.members[0]));
  EXPECT_TRUE(world->sends.empty());
  // The player leads: both tables reset and the members asked for.
  party_applicant_add(PARTY_RECORD{9, "Sue", 0, 0});
  dispatch(0x30030, 0, Bytes().u32(5));
  EXPECT_EQ(party_tables.applicant_count, 0);
  EXPECT_EQ(sentIds(world), std::vector<uint32_t>{0x30037});
}

// Every handler with a payload shorter than what it reads, or a count beyond its length: no read
// past the end, nothing changed, one "Except code" line per message it drops.
TEST_F(LoginHandlers, Truncated) {
  struct Case {
    uint32_t id;
    int32_t arg;
    std::string full;
    bool silent;  // the handler ignores such a payload by its own rule, without a line
  };
  const std::string party = partyRecord(8, "Pal");
  const Case cases[] = {
      {0x20001, 0, Bytes().u32(1).u32(2), false},
      {0x130005, 4, Bytes().u32(2), false},
      {0x30001, 2, std::string(24, '\1'), false},
      {0x30003, 2, std::string(24, '\1'), false},
      {0x30004, 0, Bytes().u32(1).u32(2), false},
      {0x30007, 2, charRecord(1, "a", 0, 0, 0, 1) + charRecord(2, "b", 0, 0, 0, 1), false},
      {0x3000a, 1, sceneChar(1, "a") + Bytes().u32(0).s, false},
      {0x3000f, 2, Bytes().u32(1).u32(2), false},
      {0x30012, 2, sceneChar(1, "a") + sceneChar(2, "b"), false},
      {0x30015, 0, Bytes().u32(1), false},
      {0x30016, 2, std::string(176, '\1'), false},
      {0x3001a, 7, Bytes().u8(1), false},
      {0x3001d, 7, Bytes().u32(1), false},
      {0x3001f, 2, Bytes().u32(1).u32(2), false},
      {0x30020, 7, Bytes().u32(1), false},
      {0x30030, 0, Bytes().u32(8), false},
      {0x30031, 1, party, false},
      {0x30032, 0, Bytes().u32(8), false},
      {0x30033, 0, Bytes().u32(8), false},
      {0x30035, 8, party, false},
      {0x30036, 2, party + party, true},
      {0x30037, 2, party + party, true},
      {0x30039, 8, Bytes().u16(1), false},
      {0x30060, 0, sceneChar(1, "a"), false},
      {0x30100, 0, mapRecord("Town", 3, 5), true},
      {0x30017, 0, std::string(88, '\1'), true},
      {0x30019, 0, std::string(88, '\1'), true},
  };
  // Handlers the Part lets ignore an empty payload.
  auto empty_ignored = [](uint32_t id) {
    for (uint32_t e : {0x30004u, 0x3001du, 0x30015u, 0x30030u, 0x30031u, 0x30033u, 0x30060u})
      if (e == id) return true;
    return false;
  };
  frame_input.own_char_id = 5;
  party_member_add(PARTY_RECORD{8, "Pal", 0, 0});
  dispatch(0x30012, 1, sceneChar(8, "Pal"));
  const std::vector<SCENE_CHAR> scene_before(scene_chars.begin(), scene_chars.end());
  for (const Case& c : cases) {
    for (size_t len = 0; len < c.full.size(); ++len) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " length " << len);
      const size_t lines = logLines("Except code").size();
      dispatchPrefix(c.id, c.arg, c.full, len);
      const bool silent = c.silent || (len == 0 && empty_ignored(c.id));
      EXPECT_EQ(logLines("Except code").size(), lines + (silent ? 0 : 1));
      EXPECT_EQ(static_cast<size_t>(scene_chars.count), scene_before.size());
      EXPECT_EQ(scene_chars[0].flags, scene_before[0].flags);
      EXPECT_EQ(party_tables.members[0].id, 8u);
      EXPECT_TRUE(char_list.empty());
      EXPECT_EQ(login_state.done, 0);
      EXPECT_EQ(login_state.wait_seconds, 0);
      EXPECT_EQ(position_message_count, 0u);
      EXPECT_EQ(map_state.map_file[0], '\0');
      EXPECT_TRUE(world->sends.empty());
      EXPECT_EQ(veldra_test::FakeNetModule::chat()->connects, 0);
      EXPECT_EQ(game_screen_words.weather_applies, 0);
    }
  }
  // Counts beyond the payload, and negative ones.
  for (const Case& c : cases) {
    if (c.silent || c.arg < 1 || c.id == 0x30035 || c.id == 0x30039 || c.id == 0x3001a || c.id == 0x3001d ||
        c.id == 0x30020 || c.id == 0x130005 || c.id == 0x30031)
      continue;
    for (int32_t arg : {c.arg + 1, 0x7FFFFFFF, -2}) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " count " << arg);
      const size_t lines = logLines("Except code").size();
      dispatch(c.id, arg, c.full);
      const bool dropped = !(c.id == 0x30007 && arg == -2);  // -2 is no list at all
      EXPECT_EQ(logLines("Except code").size(), lines + (dropped ? 1 : 0));
      EXPECT_EQ(static_cast<size_t>(scene_chars.count), scene_before.size());
      EXPECT_EQ(position_message_count, 0u);
      EXPECT_EQ(friend_count, 0);
    }
  }
}

}  // namespace

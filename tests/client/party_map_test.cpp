// The party tables, the map record store and the two request senders.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/requests/requests.h"
#include "client/state/map_record.h"
#include "client/state/party_tables.h"
#include "social/chat_log/chat_log.h"
#include "tests/client/net_msg_fixture.h"

namespace {

PARTY_RECORD rec(uint32_t id, const char* name = "p") {
  PARTY_RECORD r{};
  r.id = id;
  std::strncpy(r.name, name, sizeof r.name);
  return r;
}

std::vector<uint32_t> ids(const PARTY_RECORD* records, int n) {
  std::vector<uint32_t> out;
  for (int i = 0; i < n; ++i) out.push_back(records[i].id);
  return out;
}

constexpr uint32_t F = PARTY_FREE_ID;

using PartyTables = net_msg_test::NetMsgTest;

TEST_F(PartyTables, ASixthMemberIsIgnored) {
  for (uint32_t id = 1; id <= 6; ++id) party_member_add(rec(id));
  EXPECT_EQ(ids(party_tables.members, PARTY_MEMBERS), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
}

TEST_F(PartyTables, RemovingTheMiddleMemberCompacts) {
  party_member_add(rec(1, "One"));
  party_member_add(rec(2, "Two"));
  party_member_add(rec(3, "Three"));
  party_member_remove(2);
  EXPECT_EQ(ids(party_tables.members, PARTY_MEMBERS), (std::vector<uint32_t>{1, 3, F, F, F}));
  EXPECT_STREQ(party_tables.members[1].name, "Three");
  ASSERT_EQ(chat_log.count, 1);
  EXPECT_STREQ(chat_log.lines[0].text, "Note! Two left the party.");
  EXPECT_EQ(chat_log.lines[0].channel, 7);
  // An unknown id says nothing.
  party_member_remove(99);
  EXPECT_EQ(chat_log.count, 1);
}

TEST_F(PartyTables, ApplicantsKeepTheirOrder) {
  for (uint32_t id = 1; id <= 20; ++id) party_applicant_add(rec(id));
  party_applicant_add(rec(21));  // full
  EXPECT_EQ(party_tables.applicant_count, 20);
  for (uint32_t id = 2; id <= 20; id += 2) party_applicant_remove(id);
  std::vector<uint32_t> want;
  for (uint32_t id = 1; id <= 20; id += 2) want.push_back(id);
  want.resize(20, F);
  EXPECT_EQ(ids(party_tables.applicants, PARTY_APPLICANTS), want);
  EXPECT_EQ(party_tables.applicant_count, 10);

  const PARTY_TABLES before = party_tables;
  party_applicant_remove(4242);
  EXPECT_EQ(std::memcmp(&before, &party_tables, sizeof before), 0);
}

TEST_F(PartyTables, ResetsFreeEveryRecord) {
  party_member_add(rec(1));
  party_applicant_add(rec(2));
  party_tables.member_selected = 0;
  party_tables.applicant_selected = 0;
  party_members_reset();
  party_applicants_reset();
  EXPECT_EQ(ids(party_tables.members, PARTY_MEMBERS), std::vector<uint32_t>(5, F));
  EXPECT_EQ(ids(party_tables.applicants, PARTY_APPLICANTS), std::vector<uint32_t>(20, F));
  EXPECT_EQ(party_tables.member_selected, -1);
  EXPECT_EQ(party_tables.applicant_selected, -1);
  EXPECT_EQ(party_tables.applicant_count, 0);
}

using MapRecord = net_msg_test::NetMsgTest;

SCENE_MAP_RECORD record(int32_t map, int32_t music = 1, int32_t music2 = 2, int32_t value2 = 0) {
  SCENE_MAP_RECORD r{};
  std::strcpy(r.name, "Town");
  r.map_number = map;
  r.music_number = music;
  r.music_value = -4;
  r.music2_number = music2;
  r.music2_value = value2;
  r.music3_number = 3;
  return r;
}

TEST_F(MapRecord, FileNames) {
  struct Case {
    int32_t number;
    const char* map;
  } cases[] = {
      {7, "MAP007.MAP"},        {1234, "MAP1234.MAP"},  {-1, "MAP-01.MAP"},
      {INT_MAX, ""},            {INT_MIN, ""},          {999999, "MAP999999.MAP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    map_record_store(record(c.number, c.number, c.number));
    EXPECT_STREQ(map_state.map_file, c.map);
    EXPECT_LT(std::strlen(map_state.music_files[0]), size_t{MAP_FILE_NAME_SIZE});
  }
  map_record_store(record(7, 12, 13));
  EXPECT_STREQ(map_state.music_files[0], "MUS012.MP3");
  EXPECT_STREQ(map_state.music_files[1], "MUS013.mp3");
  EXPECT_STREQ(map_state.music_files[2], "MUS003.mp3");
}

TEST_F(MapRecord, MusicValues) {
  map_record_store(record(7, 1, 2, -9));
  EXPECT_EQ(map_state.music_values[0], -4);  // the first as received
  EXPECT_EQ(map_state.music_values[1], 0);
  EXPECT_EQ(map_state.music_values[2], 0);
  map_record_store(record(7, 1, 2, 6));
  EXPECT_EQ(map_state.music_values[1], 6);
  EXPECT_EQ(map_state.music_values[2], 6);
}

TEST_F(MapRecord, DisplayNameAndBlocks) {
  frame_input.frame_time = 4321;
  map_state.scene_loaded = 1;
  SCENE_MAP_RECORD r = record(7);
  // Sixteen bytes without a NUL; a double-byte character straddles the 12-byte cut.
  std::memcpy(r.name, "abcdefghijk\xD6\xD0xyz", 16);
  for (int i = 0; i < 4; ++i) r.values[i] = 44 + i;
  for (int i = 0; i < 7; ++i) r.block_60[i] = 60 + i;
  for (int i = 0; i < 21; ++i) r.block_88[i] = 88 + i;
  map_record_store(r);
  EXPECT_STREQ(map_state.display_name, "abcdefghijk");
  EXPECT_EQ(map_state.scene_start_time, 4321u);
  EXPECT_EQ(map_state.scene_loaded, 0);
  EXPECT_EQ(map_state.values[3], 47);
  EXPECT_EQ(map_state.block_60[6], 66);
  EXPECT_EQ(map_state.block_88[0], 88);
  EXPECT_EQ(map_state.block_88[20], 108);
  std::memcpy(r.name, "abcdefghijkl\xD6\xD0yz", 16);
  map_record_store(r);
  EXPECT_STREQ(map_state.display_name, "abcdefghijkl");
}

// The own character's name in the kept record (bytes 92 on, in the block's little-endian words):
// up to its NUL, and a name that fills the field ends on a whole character.
TEST_F(MapRecord, OwnCharacterName) {
  auto with_name = [](const std::string& name) {
    SCENE_MAP_RECORD r = record(7);
    uint8_t bytes[sizeof r.block_88] = {};
    std::memcpy(bytes + MAP_CHAR_NAME_OFFSET, name.data(), name.size());
    std::memcpy(r.block_88, bytes, sizeof bytes);
    map_record_store(r);
    return map_state_char_name();
  };
  EXPECT_EQ(with_name("Hero"), "Hero");
  EXPECT_EQ(with_name(std::string(20, 'h')), std::string(20, 'h'));
  EXPECT_EQ(with_name(std::string(19, 'h') + "\xD6\xD0"), std::string(19, 'h'));
  EXPECT_EQ(with_name(std::string(18, 'h') + "\xD6\xD0" + "x"), std::string(18, 'h') + "\xD6\xD0");
}

TEST_F(MapRecord, Senders) {
  EXPECT_EQ(req_party_members(), 0);
  EXPECT_EQ(req_pet_unfollow(0x80000042u), 0);
  ASSERT_EQ(world->sends.size(), 2u);
  EXPECT_EQ(world->sends[0].id, 0x30037u);
  EXPECT_EQ(world->sends[0].arg, 0);
  EXPECT_TRUE(world->sends[0].payload.empty());
  EXPECT_EQ(world->sends[1].id, 0x60007u);
  EXPECT_EQ(static_cast<uint32_t>(world->sends[1].arg), 0x80000042u);
  EXPECT_TRUE(world->sends[1].payload.empty());
  replaying = 1;
  EXPECT_EQ(req_party_members(), 0);
  EXPECT_EQ(req_pet_unfollow(1), 0);
  replaying = 0;
  EXPECT_EQ(world->sends.size(), 2u);
}

}  // namespace

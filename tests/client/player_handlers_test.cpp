// The handlers of the player's record, quests, skills, titles, timed states, restore values and
// auto fight, through the real dispatcher table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/res/res_tables.h"
#include "client/state/core_state.h"
#include "client/state/player_state.h"
#include "client/state/quest_tables.h"
#include "client/state/skill_tables.h"
#include "client/state/title_table.h"
#include "client/common/seam_calls.h"
#include "items/timed_state/timed_state.h"
#include "tests/client/core_handlers_fixture.h"
#include "tools/reswrite/reswrite.h"
#include "ui/auto_fight/auto_fight.h"
#include "ui/game_screen/game_screen_state.h"
#include "world/scene/scene_chars.h"

namespace {

using handler_test::Bytes;

Bytes words(const std::vector<uint32_t>& w) {
  Bytes b;
  for (uint32_t v : w) b.u32(v);
  return b;
}

// 0x50003: the 18-word block (words 100..117), then the base block with the level and experience.
std::string levelMessage(uint32_t level, uint32_t exp) {
  Bytes b;
  for (uint32_t i = 0; i < 18; ++i) b.u32(100 + i);
  b.u32(level);
  for (uint32_t i = 1; i < 11; ++i) b.u32(i == 7 ? exp : 200 + i);
  return b;
}

// A skill word: id in the low half, the signed level in byte 2.
uint32_t skill(uint16_t id, int8_t level) { return id | static_cast<uint32_t>(static_cast<uint8_t>(level)) << 16; }

// The 156-byte full details with a level, reputation byte, guild id and rank.
std::string fullDetails(uint32_t level, uint8_t reputation, uint32_t guild, uint32_t rank) {
  std::vector<uint32_t> w(PLAYER_RECORD_WORDS);
  for (size_t i = 0; i < w.size(); ++i) w[i] = 0x1000 + static_cast<uint32_t>(i);
  w[PLAYER_AT_LEVEL / 4] = level;
  w[PLAYER_AT_REPUTATION / 4] = reputation;
  w[PLAYER_AT_GUILD_ID / 4] = guild;
  w[PLAYER_AT_GUILD_RANK / 4] = rank;
  return words(w);
}

using CoreHandlers = ::CoreHandlers;

TEST_F(CoreHandlers, ExpEvents) {
  struct Case {
    uint32_t from, to;
    std::vector<int32_t> events;
    std::string level_line;
  } cases[] = {
      {9, 16, {26, 26, 28, 26, 19}, "~C2 hit level ~C416~C2 ~C0"},
      {6, 70, {25, 26, 26, 28, 26, 31, 26, 26, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 19},
       "~C2 hit level ~C470~C2 ~C0"},
      {16, 16, {19}, "~C2 hit level ~C416~C2 ~C0"},
      {20, 12, {19}, "~C2\xA1\xAFs level was lowered to level ~C412~C0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    TearDown();
    SetUp();
    enterOwn();
    player_base_set(0, c.from);
    player_base_set(7, 500);
    dispatch(0x50003, 0, levelMessage(c.to, 650));
    EXPECT_EQ(macroEvents(), c.events);
    EXPECT_EQ(notices(), (std::vector<std::string>{c.level_line, "~C2 obtained ~C4150~C2 Exp~C0"}));
    EXPECT_EQ(player_base(0), c.to);
    EXPECT_EQ(player_base(7), 650u);
    EXPECT_EQ(player_base(10), 210u);
    EXPECT_EQ(player_state.block_e6[17], 117u);
    EXPECT_NE(scene_chars[0].flags & SCENE_FLAG_LEVEL_UP, 0u);
  }
  // A wrong length changes nothing.
  dispatch(0x50003, 0, levelMessage(99, 1).substr(0, 112));
  EXPECT_EQ(player_base(0), 12u);
}

TEST_F(CoreHandlers, ExpChange) {
  player_base_set(7, 100);
  dispatch(0x50004, 0, words({150, 7, 8}));
  dispatch(0x50004, 0, words({120, 9, 10}));
  EXPECT_EQ(notices(), (std::vector<std::string>{"~C2\xA1\xAFs Exp was deducted by~C430~C2 ~C0",
                                                 "~C2 obtained ~C450~C2 Exp~C0"}));
  EXPECT_EQ(player_base(7), 120u);
  EXPECT_EQ(player_base(8), 9u);
  EXPECT_EQ(player_base(9), 10u);
  dispatch(0x50004, 0, words({1, 2, 3, 4}));  // exactly 12 bytes or nothing
  EXPECT_EQ(player_base(7), 120u);
}

TEST_F(CoreHandlers, RankTable) {
  struct Case {
    int32_t sum;
    uint8_t rank;
  } cases[] = {{559, 0}, {560, 1}, {1599, 6}, {1600, 7}, {2001, 7}, {2002, 7}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sum);
    player_state.status = 0xFF;  // the reputation bits stay
    Bytes b;
    for (int i = 0; i < PLAYER_SKILLS; ++i) b.u32(skill(static_cast<uint16_t>(i + 1), static_cast<int8_t>(c.sum / 20 + (i < c.sum % 20))));
    dispatch(0xb0001, PLAYER_SKILLS, b);
    EXPECT_EQ(player_state.status, (c.rank << 5) | 0x1F);
    EXPECT_EQ(skill_tables.player_changed, 1);
  }
  // More skills than the table holds: the first 20 are taken.
  Bytes b;
  for (int i = 0; i < 25; ++i) b.u32(skill(static_cast<uint16_t>(100 + i), 1));
  dispatch(0xb0001, 25, b);
  EXPECT_EQ(skill_word_id(skill_tables.player[19]), 119);
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(CoreHandlers, Skills) {
  resw::Table t{{3201, 3201, 3204, 3201, 3201, 25604},
                {"id", "level", "name", "a", "b", "text"},
                {{int64_t{7}, int64_t{1}, std::string("Fire"), int64_t{0}, int64_t{0}, std::string("d")}}};
  const std::vector<uint8_t> res = resw::write_table(t);
  dir.write("res/skill.res", std::string(res.begin(), res.end()));
  ASSERT_TRUE(res_load_skill());

  dispatch(0xb0001, 2, words({skill(7, 3), skill(8, 1)}));
  dispatch(0xb0002, 20, words({skill(9, 1)}));  // outside the table: ignored
  dispatch(0xb0002, 1, words({skill(8, 2)}));
  EXPECT_EQ(skill_tables.player[1], skill(8, 2));
  EXPECT_EQ(skill_tables.player[2], SKILL_NONE);

  dispatch(0xb0005, 0, words({skill(7, 5)}));
  dispatch(0xb0005, 0, words({skill(7, 5)}));  // no rise: no line
  dispatch(0xb0005, 0, words({skill(8, 4)}));  // not in the definitions: an empty name
  dispatch(0xb0005, 0, words({skill(8, 1)}));  // a fall: stored, no line
  EXPECT_EQ(notices(), (std::vector<std::string>{"~C2 hit level~C44~C2 ~C0", "~C2Fire hit level~C45~C2 ~C0"}));
  EXPECT_EQ(skill_tables.player[0], skill(7, 5));
  EXPECT_EQ(skill_tables.player[1], skill(8, 1));

  // Pet skills: the list empties the table first and keeps at most 8.
  dispatch(0xb0003, 2, words({0x10005, 0x20006}));
  EXPECT_EQ(skill_tables.pet[1], 6);
  EXPECT_EQ(skill_tables.pet[2], SKILL_NONE);
  EXPECT_EQ(skill_tables.pet_changed, 1);
  Bytes ten;
  for (uint32_t i = 0; i < 10; ++i) ten.u32(50 + i);
  dispatch(0xb0003, 10, ten);
  EXPECT_EQ(skill_tables.pet[7], 57);
  dispatch(0xb0004, 3, Bytes().u16(99));
  dispatch(0xb0004, 8, Bytes().u16(98));  // outside the table: ignored
  EXPECT_EQ(skill_tables.pet[3], 99);
  EXPECT_EQ(skill_tables.pet[7], 57);
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(CoreHandlers, StatsPoints) {
  dispatch(0xb0006, 5);  // from 0: only stored
  dispatch(0xb0006, 12);
  dispatch(0xb0006, 4);
  EXPECT_EQ(notices(), (std::vector<std::string>{"~C2 was deducted by ~C48~C2 stats points~C0",
                                                 "~C2 obtained ~C47~C2 stats points~C0"}));
  EXPECT_EQ(player_state.stats_points, 4u);
}

TEST_F(CoreHandlers, TimedStates) {
  frame_input.frame_time = 5000;
  auto entry = [](uint32_t kind) {
    const int32_t i = timed_state_find(kind);
    return i < 0 ? TIMED_STATE_ENTRY{0, 0, 0} : timed_states.data[i];
  };
  dispatch(0x50007, 30);
  frame_input.frame_time = 6000;
  dispatch(0x50007, 40);  // renews
  EXPECT_EQ(timed_states.count, 1);
  EXPECT_EQ(entry(1).start, 6000u);
  EXPECT_EQ(entry(1).duration, 40000u);

  dispatch(0x50008, 0x00020005);
  dispatch(0x50008, 0x00030007);
  EXPECT_EQ(entry(2).duration, 5000u);
  EXPECT_EQ(entry(3).duration, 7000u);
  dispatch(0x50008, 0x00040009);  // no such kind here
  EXPECT_EQ(timed_states.count, 3);
  dispatch(0x50008, 0x00010000);  // removes kinds 2 and 3, adds nothing
  EXPECT_EQ(timed_states.count, 1);
  EXPECT_EQ(timed_state_find(2), -1);
  EXPECT_EQ(timed_state_find(3), -1);

  dispatch(0x50009, static_cast<int32_t>(0x80040003u));
  EXPECT_EQ(entry(4).duration, 3000u);
  EXPECT_EQ(entry(4).start, 6000u);
  dispatch(0x50009, 0x00040000);
  EXPECT_EQ(timed_state_find(4), -1);
  dispatch(0x50007, 0);
  EXPECT_EQ(timed_states.count, 0);
}

TEST_F(CoreHandlers, FullDetails) {
  struct Case {
    uint32_t level;
    uint8_t reputation;
    uint32_t guild, rank;
    uint8_t reputation_level;
    std::vector<uint32_t> sent;
  } cases[] = {
      {100, 0, 0, 0, 5, {}},
      {100, 2, 7, 9, 11, {0x100007, 0x100006, 0x100008}},
      {100, 0xFF, 7, 10, 5, {0x100007, 0x100006}},  // a negative byte counts as none
      {2000, 0, 0, 0, 31, {}},                      // 100 does not fit: held at 31
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    TearDown();
    SetUp();
    enterOwn("Heroine");
    scene_chars[0].posture = 3;
    std::strcpy(scene_chars[0].title, "Brave");
    player_state.status = 0xE0;
    dispatch(0x50001, 0, fullDetails(c.level, c.reputation, c.guild, c.rank));
    EXPECT_EQ(player_state.record[38], c.rank);
    EXPECT_EQ(player_state.record[5], 0x1005u);
    EXPECT_EQ(player_base(0), c.level);
    EXPECT_STREQ(player_state.name, "Heroine");
    EXPECT_STREQ(player_state.title, "Brave");
    EXPECT_EQ(player_posture, 3);
    EXPECT_EQ(player_state.stat_refresh, 1);
    EXPECT_EQ(player_state.status, 0xE0 | c.reputation_level);
    EXPECT_EQ(sentIds(), c.sent);
    for (const auto& m : world->sends) EXPECT_EQ(m.arg, 0);
  }
  // Status not 0, or not 156 bytes: nothing.
  player_state.stat_refresh = 0;
  dispatch(0x50001, 1, fullDetails(5, 0, 0, 0));
  dispatch(0x50001, 0, fullDetails(5, 0, 0, 0) + "x");
  EXPECT_EQ(player_base(0), 2000u);
  EXPECT_EQ(player_state.stat_refresh, 0);
}

TEST_F(CoreHandlers, PointsAllocated) {
  dispatch(0x50001, 0, fullDetails(10, 0, 0, 0));
  player_record_set_i16(60, 5);   // free points
  player_record_set_i16(68, 10);  // Stamina
  player_record_set_i16(104, 7);  // Speed
  const int16_t pending[5] = {-3, 1, 0, 0, 2};
  std::memcpy(player_state.pending, pending, sizeof pending);
  player_state.stat_refresh = 0;
  Bytes base;
  for (uint32_t i = 0; i < 11; ++i) base.u32(300 + i);
  dispatch(0x50002, 1, base);
  EXPECT_EQ(player_base(0), 300u);
  EXPECT_EQ(player_base(10), 310u);
  EXPECT_EQ(player_record_i16(60), 2);
  EXPECT_EQ(player_record_i16(68), 11);
  EXPECT_EQ(player_record_i16(104), 9);
  EXPECT_EQ(player_record_u32(64), 0x1010u);  // the words beside the values are kept
  EXPECT_EQ(player_state.stat_refresh, 1);
  EXPECT_EQ(std::vector<uint8_t>(player_state.pending, player_state.pending + 10), std::vector<uint8_t>(10, 0));
  EXPECT_TRUE(popups().empty());

  // A refusal or a short reply: the allocation is dropped all the same, the record kept.
  for (auto [status, length] : {std::pair{0, 44}, std::pair{1, 40}}) {
    std::memcpy(player_state.pending, pending, sizeof pending);
    player_state.stat_refresh = 0;
    dispatch(0x50002, status, base.s.substr(0, static_cast<size_t>(length)));
    EXPECT_EQ(player_record_i16(60), 2);
    EXPECT_EQ(player_state.stat_refresh, 1);
    EXPECT_EQ(player_state.pending[0], 0);
  }
  EXPECT_EQ(popups(), (std::vector<std::string>{"Points calculation error! Please reallocate!",
                                                "Points calculation error! Please reallocate!"}));
}

TEST_F(CoreHandlers, DetailsValuesAndTitleBlocks) {
  std::vector<uint32_t> w(18);
  for (size_t i = 0; i < w.size(); ++i) w[i] = 40 + static_cast<uint32_t>(i);
  dispatch(0x50005, 0, words(std::vector<uint32_t>(w.begin(), w.begin() + 15)));
  EXPECT_EQ(player_state.details[14], 54u);
  EXPECT_EQ(player_state.details_valid, 1);
  dispatch(0x50006, 0, words({1, 2, 3, 4, 5, 0xFFFFFFFF}));
  EXPECT_EQ(player_state.values[5], -1);
  dispatch(0xe0006, 0, words(w));
  EXPECT_EQ(player_state.block_e6[17], 57u);
  dispatch(0xe0001, 0, words(std::vector<uint32_t>(w.begin(), w.begin() + 11)));
  EXPECT_EQ(player_base(10), 50u);
  dispatch(0x130002, 6);
  dispatch(0x130003, 8);
  dispatch(0x130002, -1);  // negatives are not stored
  dispatch(0x130003, -1);
  EXPECT_EQ(player_state.values[0], 6);
  EXPECT_EQ(player_state.values[2], 8);
  EXPECT_EQ(macroEvents(), std::vector<int32_t>{21});
}

TEST_F(CoreHandlers, RestoreValues) {
  enterOwn();
  dispatch(0xd0001, 120);
  dispatch(0xd0002, 45);
  EXPECT_EQ(player_state.restore[0], 120);
  EXPECT_EQ(player_state.restore[1], 45);
  EXPECT_NE(scene_chars[0].flags & SCENE_FLAG_RESTORED, 0u);
}

TEST_F(CoreHandlers, Titles) {
  enterOwn();
  dispatch(0x30012, 1, handler_test::sceneChar(2002, "Other"));
  auto title = [](int16_t id, const std::string& name) {
    return Bytes().text(name, 27).text("about " + name, 41).u16(static_cast<uint16_t>(id)).s;
  };
  // A name that fills its field gets its NUL, never half a character.
  const std::string full = std::string(25, 'a') + "\xD6\xD0";
  dispatch(0xe0002, 3, title(4, "Four") + title(9, full) + title(12, "Twelve"));
  EXPECT_EQ(title_table.list_loaded, 1);
  EXPECT_EQ(title_index_by_id(12), 2);
  EXPECT_STREQ(title_table.records[0].description, "about Four");
  EXPECT_EQ(std::string(title_table.records[1].name), std::string(25, 'a'));
  std::string many;
  for (int16_t id = 20; id < 36; ++id) many += title(id, "t");
  dispatch(0xe0003, 16, many);
  EXPECT_EQ(title_index_by_id(34), 17);
  EXPECT_EQ(title_index_by_id(35), -1);

  dispatch(0xe0004, static_cast<int32_t>(kOwnId), "Knight");
  dispatch(0xe0004, 2002, "Squire");
  EXPECT_STREQ(scene_chars[0].title, "Knight");
  EXPECT_STREQ(scene_chars[1].title, "Squire");
  EXPECT_STREQ(player_state.title, "Knight");
  // A title is 27 characters, whole ones: for the scene character and the player alike.
  dispatch(0xe0004, 2002, std::string(30, 'b'));
  EXPECT_EQ(std::string(scene_chars[1].title), std::string(27, 'b'));
  const std::string zh27 = std::string(25, 'k') + "\xD6\xD0";
  dispatch(0xe0004, static_cast<int32_t>(kOwnId), zh27 + "z");
  EXPECT_EQ(std::string(scene_chars[0].title), zh27);
  EXPECT_EQ(std::string(player_state.title), zh27);
  dispatch(0xe0004, static_cast<int32_t>(kOwnId), std::string(26, 'k') + "\xD6\xD0");
  EXPECT_EQ(std::string(player_state.title), std::string(26, 'k'));
  dispatch(0xe0004, static_cast<int32_t>(kOwnId), "Knight");
  dispatch(0xe0005, 2002);
  EXPECT_STREQ(scene_chars[1].title, "");
  EXPECT_STREQ(scene_chars[0].title, "Knight");
}

TEST_F(CoreHandlers, Quests) {
  loadQuestRanges({{1, 100, 1}});

  auto added = [](uint32_t id, uint8_t length, const std::string& text) {
    Bytes b;
    b.u32(id);
    for (uint32_t i = 1; i <= 9; ++i) b.u32(id * 10 + i);
    b.u8(length).zeros(3);
    b.s += text;
    return b.s;
  };
  const std::string zh = std::string(120, 'x') + "\xD6\xD0";
  struct Case {
    uint32_t id;
    uint8_t length;
    std::string text, stored;
  } cases[] = {
      {1, 0, "ignored", ""},           // a length of 0 is no text
      {2, 5, "abcdefgh", "abcd"},      // the length counts the NUL
      {3, 200, std::string(130, 'y'), std::string(121, 'y')},
      {4, 200, "abc", "abc"},          // no more than the payload has
      {5, 123, zh, std::string(120, 'x')},  // never half a character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    dispatch(0x40005, 0, added(c.id, c.length, c.text));
    int32_t table = -1;
    const int32_t at = quest_find(c.id, &table);
    ASSERT_GE(at, 0);
    EXPECT_EQ(table, 0);
    EXPECT_EQ(std::string(quest_state.tables[0][at].quest.text), c.stored);
    EXPECT_EQ(quest_state.tables[0][at].quest.progress[8], c.id * 10 + 9);
  }
  EXPECT_EQ(game_screen_state.quest_news, 1);
  EXPECT_EQ(macroEvents(), std::vector<int32_t>(5, 20));

  // A text for a stored quest keeps its progress; for another id it adds one.
  dispatch(0x40007, 2, "new text");
  EXPECT_STREQ(quest_state.tables[0][1].quest.text, "new text");
  EXPECT_EQ(quest_state.tables[0][1].quest.progress[0], 21u);
  // At most 121 bytes, never half a character, never past the payload.
  dispatch(0x40007, 2, std::string(130, 'q'));
  EXPECT_EQ(std::string(quest_state.tables[0][1].quest.text), std::string(121, 'q'));
  dispatch(0x40007, 2, std::string(120, 'r') + "\xD6\xD0");
  EXPECT_EQ(std::string(quest_state.tables[0][1].quest.text), std::string(120, 'r'));
  dispatch(0x40007, 2, std::string(7, 'r') + "\xD6");
  EXPECT_EQ(std::string(quest_state.tables[0][1].quest.text), std::string(7, 'r'));
  dispatch(0x40007, 6, std::string("six\0tail", 8));
  EXPECT_STREQ(quest_state.tables[0][5].quest.text, "six");
  dispatch(0x40011, 7);
  EXPECT_EQ(quest_find(7, nullptr), 6);
  dispatch(0x40009, 7, words({1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(quest_state.tables[0][6].quest.progress[8], 9u);
  dispatch(0x40009, 7, words({5, 5, 5, 5, 5, 5, 5, 5}));  // exactly 36 bytes or nothing
  EXPECT_EQ(quest_state.tables[0][6].quest.progress[0], 1u);
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(CoreHandlers, MacroCommand) {
  dispatch(0x40004, 34, "abc");
  const std::vector<SEAM_CALL> calls = seam_calls_named("macro_run_server_command");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].a, 34);
  EXPECT_EQ(calls[0].b, 3);
  EXPECT_EQ(calls[0].text, "abc");
}

TEST_F(CoreHandlers, AutoFight) {
  dispatch(0xb0001, 2, words({skill(30, 5), skill(31, 1)}));
  struct Case {
    const char* what;
    int32_t object;
    std::string payload;
    bool accepted;
  } cases[] = {
      {"no object", 0, Bytes().u32(0x001E0003).u16(0x3232), false},
      {"five bytes", 9, Bytes().u32(0x001E0003).u8(0x32), false},
      {"seven bytes", 9, Bytes().u32(0x001E0003).u16(0x3232).u8(0), false},
      {"skill not in the list", 9, Bytes().u32(0x00200003).u16(0x3232), false},
      {"no bouts", 9, Bytes().u32(0x001E0000).u16(0x3232), false},
      {"negative bouts", 9, Bytes().u32(0x001EFFFF).u16(0x3232), false},
      {"no hp threshold", 9, Bytes().u32(0x001E0003).u16(0x3200), false},
      {"no mp threshold", 9, Bytes().u32(0x001E0003).u16(0x0032), false},
      {"accepted", 9, Bytes().u32(0x001F0003).u16(0x2850), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    system_message_deadline = 0;
    dispatch(0x130010, c.object, c.payload);
    EXPECT_EQ(AUTO_FIGHT_STATE, c.accepted ? 1 : 0);
    EXPECT_EQ(system_message_deadline != 0, !c.accepted);  // refusals wait in a system message
  }
  auto kept = [] {
    EXPECT_EQ(auto_fight_data.object_id, 9u);
    EXPECT_EQ(auto_fight_data.bout, 3);
    EXPECT_EQ(auto_fight_data.skill_word, 0x001F0003u);
    EXPECT_EQ(auto_fight_data.skill_id, 31u);
    EXPECT_EQ(auto_fight_data.pre, 0x2850);
    EXPECT_EQ(auto_fight_data.request, 1);
  };
  kept();
  // A refusal leaves the accepted fight as it was.
  AUTO_FIGHT_STATE = 3;
  dispatch(0x130010, 12, Bytes().u32(0x001F0000).u16(0x0101));
  dispatch(0x130010, 12, Bytes().u32(0x00200005).u16(0x0101));
  dispatch(0x130010, 12, Bytes().u32(0x001F0005).u16(0x0100));
  dispatch(0x130010, 12, Bytes().u32(0x001F0005));
  kept();
  EXPECT_EQ(AUTO_FIGHT_STATE, 3);

  // 0x130007: the mode byte, and the graded value's high half while the record is fresh.
  dispatch(0x130007, 0x0101);
  EXPECT_EQ(auto_fight_data.mode, 1);
  dispatch(0x130007, 0x0100);
  EXPECT_EQ(auto_fight_data.mode, 0);
  player_record_set_u32(PLAYER_AT_GRADED, 0x00001234);
  dispatch(0x130007, 0x00ABCD02);
  EXPECT_EQ(player_record_u32(PLAYER_AT_GRADED), 0x00001234u);
  player_state.stat_refresh = 1;
  dispatch(0x130007, 0x00ABCD02);
  EXPECT_EQ(player_record_u32(PLAYER_AT_GRADED), 0xABCD1234u);

  Bytes block;
  for (uint32_t i = 0; i < 15; ++i) block.u32(i + 1);
  dispatch(0x130009, 0, block.s.substr(0, 56));
  EXPECT_EQ(auto_fight_data.block_valid, 0);
  dispatch(0x130009, 0, block);
  EXPECT_EQ(auto_fight_data.block_valid, 1);
  EXPECT_EQ(auto_fight_data.block[14], 15u);
}

// Payloads cut short and counts beyond the payload: each message is dropped with one line and
// nothing changes; a handler with an exact length ignores others by its own rule, silently.
TEST_F(CoreHandlers, Truncated) {
  struct Case {
    uint32_t id;
    int32_t arg;
    std::string full;
    bool silent;
  };
  const std::string title = Bytes().text("t", 27).text("d", 41).u16(5);
  const Case cases[] = {
      {0x40005, 0, Bytes().u32(1).zeros(36).u8(0).zeros(3), false},
      {0x40007, 1, "quest text", true},  // a shorter text, stored by nothing without definitions
      {0x40009, 1, words({1, 2, 3, 4, 5, 6, 7, 8, 9}), true},
      {0x50001, 0, fullDetails(5, 0, 7, 1), true},
      {0x50002, 1, words({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), true},  // refused: the base block kept
      {0x50003, 0, levelMessage(30, 5), true},
      {0x50004, 0, words({1, 2, 3}), true},
      {0x50005, 0, std::string(60, '\1'), true},
      {0x50006, 0, std::string(24, '\1'), true},
      {0xb0001, 2, words({skill(1, 100), skill(2, 100)}), false},
      {0xb0002, 1, words({skill(1, 100)}), false},
      {0xb0003, 2, words({1, 2}), false},
      {0xb0004, 1, Bytes().u16(3), false},
      {0xb0005, 0, words({skill(0, 100)}), false},
      {0xe0001, 0, std::string(44, '\1'), false},
      {0xe0002, 2, title + title, false},
      {0xe0003, 1, title, false},
      {0xe0006, 0, std::string(72, '\1'), false},
      {0x130009, 0, std::string(60, '\1'), true},
  };
  enterOwn();
  dispatch(0xb0001, 1, words({skill(0, 1)}));
  auto unchanged = [&] {
    EXPECT_EQ(player_base(0), 0u);
    EXPECT_EQ(player_state.record[0], 0u);
    EXPECT_EQ(player_state.status, 0);
    EXPECT_EQ(player_state.details_valid, 0);
    EXPECT_EQ(player_state.block_e6[0], 0u);
    EXPECT_EQ(player_state.values[0], 0);
    EXPECT_EQ(quest_state.counts[0] + quest_state.counts[1], 0);
    EXPECT_EQ(skill_tables.player[0], skill(0, 1));
    EXPECT_EQ(skill_tables.player[1], SKILL_NONE);
    EXPECT_EQ(skill_tables.pet[0], SKILL_NONE);
    EXPECT_EQ(title_index_by_id(5), -1);
    EXPECT_EQ(title_table.list_loaded, 0);
    EXPECT_EQ(auto_fight_data.block_valid, 0);
    EXPECT_TRUE(macroEvents().empty());
    EXPECT_TRUE(notices().empty());
    EXPECT_TRUE(world->sends.empty());
    EXPECT_EQ(scene_chars[0].flags, 0u);
  };
  skill_tables.player_changed = 0;
  for (const Case& c : cases) {
    for (size_t len = 0; len < c.full.size(); ++len) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " length " << len);
      const size_t lines = logLines("Except code").size();
      dispatchPrefix(c.id, c.arg, c.full, len);
      EXPECT_EQ(logLines("Except code").size(), lines + (c.silent ? 0 : 1));
      unchanged();
    }
  }
  for (const Case& c : cases) {
    if (c.silent || c.arg < 1 || c.id == 0xb0002 || c.id == 0xb0004) continue;
    for (int32_t arg : {c.arg + 1, 0x7FFFFFFF, -2}) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " count " << arg);
      const size_t lines = logLines("Except code").size();
      dispatch(c.id, arg, c.full);
      EXPECT_EQ(logLines("Except code").size(), lines + 1);
      unchanged();
    }
  }
  EXPECT_EQ(skill_tables.player_changed, 0);
}

}  // namespace

// Message 0xc0006, the battle action, by kind: what each tail fills, and every truncation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/game/frame_input.h"
#include "client/state/player_state.h"
#include "client/ui/message_box.h"
#include "tests/client/battle_payloads.h"
#include "tests/client/core_handlers_fixture.h"
#include "world/battle/battle_state.h"
#include "world/battle/fight_units.h"

namespace {

using handler_test::battleAction;
using handler_test::battleUnit;
using handler_test::Bytes;
using handler_test::hit;
using handler_test::unitBytes;
using handler_test::unitStats;

class CoreHandlersBattleAction : public CoreHandlers {
 protected:
  void SetUp() override {
    CoreHandlers::SetUp();
    frame_input.own_char_id = 5;
    dispatch(0xc0016, 2, battleUnit(0, 5, "Me") + battleUnit(10, 900, "Wolf"));
    seam_calls_clear();
  }

};

struct ActionCase {
  const char* name;
  std::string payload;
  int units;  // unit records, each to battle_update_unit_stats
};

std::vector<ActionCase> actionCases() {
  const std::string two_units = unitStats(5, 10) + unitStats(900, 20);
  std::vector<std::string> ten_units;
  for (uint32_t i = 0; i < 10; ++i) ten_units.push_back(unitStats(900 + i, 1));
  return {
      {"kind 0, t 1", battleAction(0, 5, 900, {unitStats(5, 10)}, {}, Bytes().u8(1).u32(11).u32(22).u32(33).u32(44)), 1},
      {"kind 1, t 3",
       battleAction(1, 5, 900, {}, {}, Bytes().u8(3).s + hit(1, 2, 3) + hit(4, 5, 6) + hit(7, 8, 9) + Bytes().u32(77).s),
       0},
      {"kind 2, c negative", battleAction(2, 5, 900, {unitStats(900, 1)}, {hit(1, 2, 3)}, unitBytes(-1, {})), 1},
      {"kind 2, two pairs", battleAction(2, 5, 900, {}, {}, unitBytes(2, {{5, 8}, {900, 9}})), 0},
      {"kind 6", battleAction(6, 5, 901, {}, {}, battleUnit(1, 901, "NewPup") + unitBytes(1, {{900, 4}})), 0},
      {"kind 8", battleAction(8, 5, 902, {}, {}, battleUnit(1, 902, "Other") + unitBytes(0, {})), 0},
      {"kind 100", battleAction(100, 5, 900, ten_units, {hit(900, 30, 1), hit(901, 40, 2)}, unitBytes(1, {{5, 6}})), 10},
      {"kind 102", battleAction(102, 5, 900, {unitStats(900, 1), unitStats(901, 1), unitStats(5, 1)}, {}, ""), 3},
      {"kind 103, caught", battleAction(103, 5, 900, {unitStats(5, 1), unitStats(900, 0, 0x8000)}, {}, ""), 2},
      {"kind 103, missed", battleAction(103, 5, 900, {unitStats(5, 1), unitStats(900, 0, 0x4)}, {}, ""), 2},
      {"kind 5, no tail", battleAction(5, 5, 900, {two_units.substr(0, 28)}, {}, ""), 1},
  };
}

TEST_F(CoreHandlersBattleAction, EachKindFillsItsData) {
  for (const ActionCase& c : actionCases()) {
    SCOPED_TRACE(c.name);
    seam_calls_clear();
    dispatch(0xc0006, 0, c.payload);
    EXPECT_TRUE(logLines("Except code").empty());
    const auto queued = seam_calls_named("battle_queue_action");
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].a, static_cast<uint8_t>(c.payload[0]));
    EXPECT_EQ(queued[0].b, 5);
    EXPECT_EQ(seam_call_count("battle_update_unit_stats"), c.units);
    EXPECT_EQ(seam_call_names().back(), c.units ? "battle_update_unit_stats" : "battle_queue_action");
  }
  // What the cases left, kind by kind (the later kinds do not touch the earlier data).
  const BATTLE_ACTION_DATA& d = battle_action_data;
  EXPECT_EQ(player_state.battle_values[0], 11);
  EXPECT_EQ(player_state.battle_values[1], 22);
  EXPECT_EQ(player_state.battle_values[3], 33);  // first, second, fourth, third
  EXPECT_EQ(player_state.battle_values[2], 77);  // kind 1's value after its records
  EXPECT_EQ(d.target_words[0], 0u);              // the second kind-2 action had no record
  EXPECT_EQ(fight_units[0].server_byte, 6);      // kind 100's pair came last
  EXPECT_EQ(fight_units[10].server_byte, 4);     // kind 6's pair
  EXPECT_EQ(d.new_unit.id, 902u);
  EXPECT_STREQ(d.new_unit.name, "Other");
  EXPECT_EQ(d.list_count, 2);
  EXPECT_EQ(d.list_a[1], 901u);
  EXPECT_EQ(d.list_b[1], 40u);
  EXPECT_EQ(d.target_count, 3);
  EXPECT_EQ(d.target_ids[2], 5u);
  EXPECT_EQ(popups(), (std::vector<std::string>{"Capture succeeded, obtained a pet.", "Capture failed!"}));
}

TEST_F(CoreHandlersBattleAction, KindOneListsAndKindTwoTargets) {
  dispatch(0xc0006, 0, actionCases()[1].payload);
  EXPECT_EQ(battle_action_data.list_count, 3);
  EXPECT_EQ(battle_action_data.list_c[2], 9u);
  dispatch(0xc0006, 0, actionCases()[2].payload);
  EXPECT_EQ(battle_action_data.target_words[0], 2u);
  EXPECT_EQ(battle_action_data.target_words[1], 3u);
  // A negative count byte is no pairs.
  EXPECT_EQ(fight_units[0].server_byte, 0);
  EXPECT_EQ(fight_units[10].server_byte, 0);
  dispatch(0xc0006, 0, actionCases()[3].payload);
  EXPECT_EQ(fight_units[0].server_byte, 8);
  EXPECT_EQ(fight_units[10].server_byte, 9);
}

// The new pet's name fills its 24 bytes: 23 are kept, never half a double-byte character.
TEST_F(CoreHandlersBattleAction, TheNewUnitsNameEndsOnAWholeCharacter) {
  const std::string name = std::string(22, 'a') + "\xD6\xD0";
  dispatch(0xc0006, 0, battleAction(6, 5, 901, {}, {}, battleUnit(1, 901, name) + unitBytes(0, {})));
  EXPECT_EQ(std::string(battle_action_data.new_unit.name), std::string(22, 'a'));
  dispatch(0xc0016, 1, battleUnit(2, 77, std::string(23, 'b') + "\xD6"));
  EXPECT_STREQ(fight_units[2].name, std::string(23, 'b').c_str());
}

// Every length short of the whole action drops it with one line, before any change.
TEST_F(CoreHandlersBattleAction, TruncatedAtEveryBoundary) {
  for (const ActionCase& c : actionCases()) {
    for (size_t len = 1; len < c.payload.size(); ++len) {
      SCOPED_TRACE(testing::Message() << c.name << " length " << len);
      const size_t lines = logLines("Except code").size();
      std::vector<uint8_t> bytes(c.payload.begin(), c.payload.begin() + static_cast<long>(len));
      net_dispatch_message(0xc0006, 0, bytes.data(), static_cast<uint32_t>(len), false);
      EXPECT_EQ(logLines("Except code").size(), lines + 1);
      EXPECT_TRUE(seam_calls().empty());
      EXPECT_EQ(battle_action_data.list_count, 0);
      EXPECT_EQ(battle_action_data.new_unit.id, 0u);
      EXPECT_EQ(player_state.battle_values[2], 0);
      EXPECT_EQ(fight_units[0].server_byte, 0);
      EXPECT_TRUE(popups().empty());
    }
  }
  // No payload at all is ignored without a line.
  dispatch(0xc0006, 0, "");
  EXPECT_TRUE(seam_calls().empty());
}

// Lists hold one entry per fight unit: a longer list drops the action.
TEST_F(CoreHandlersBattleAction, ListsBeyondTheirSizeAreDropped) {
  std::vector<std::string> hits21(21, hit(900, 1, 1)), units21(21, unitStats(900, 1));
  std::string t21 = Bytes().u8(21).s;
  for (int i = 0; i < 21; ++i) t21 += hit(1, 2, 3);
  t21 += Bytes().u32(1).s;
  const std::string cases[] = {
      battleAction(1, 5, 900, {}, {}, t21),
      battleAction(100, 5, 900, {}, hits21, unitBytes(0, {})),
      battleAction(102, 5, 900, units21, {}, ""),
  };
  for (const std::string& p : cases) {
    const size_t lines = logLines("Except code").size();
    dispatch(0xc0006, 0, p);
    EXPECT_EQ(logLines("Except code").size(), lines + 1);
    EXPECT_TRUE(seam_calls().empty());
  }
  // Twenty fit.
  std::vector<std::string> hits20(20, hit(900, 1, 1));
  dispatch(0xc0006, 0, battleAction(100, 5, 900, {}, hits20, unitBytes(0, {})));
  EXPECT_EQ(battle_action_data.list_count, 20);
}

}  // namespace

// The battle messages the client core handles, through the real dispatcher table, and the two
// battle command senders.
#include <gtest/gtest.h>

#include "graphics/frame_cmd/map_effects.h"

#include <cstring>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/game/frame_input.h"
#include "client/requests/requests.h"
#include "client/state/pet_table.h"
#include "client/ui/message_box.h"
#include "engine/system/system.h"
#include "graphics/mda/mda.h"
#include "plat/crt.h"
#include "plat/test.h"
#include "social/chat_log/chat_log.h"
#include "tests/client/battle_payloads.h"
#include "tests/client/core_handlers_fixture.h"
#include "ui/auto_fight/auto_fight.h"
#include "ui/game_screen/game_screen_state.h"
#include "ui/notices/notice_lines.h"
#include "world/battle/battle_commands.h"
#include "world/battle/battle_effects.h"
#include "world/battle/battle_ops.h"
#include "world/battle/battle_state.h"
#include "world/battle/battle_words.h"
#include "world/battle/fight_units.h"
#include "world/scene/scene_chars.h"

namespace {

using handler_test::battleUnit;
using handler_test::Bytes;
using handler_test::petRecord;
using handler_test::sceneChar;

constexpr uint32_t kOwn = 5;

class CoreHandlersBattle : public CoreHandlers {
 protected:
  void SetUp() override {
    CoreHandlers::SetUp();
    frame_input.own_char_id = kOwn;
  }



  // Units in slots 0 (the player), 1 and 10 through a battle start.
  void startBattle(int32_t own_hp = 100) {
    dispatch(0xc0016, 3,
             battleUnit(0, kOwn, "Me", own_hp) + battleUnit(1, 0x40000001, "Pup") + battleUnit(10, 900, "Wolf"));
    battle_start_byte = 0;  // the game main task's battle entry takes it
    seam_calls_clear();
  }

  std::vector<std::pair<int64_t, int64_t>> timerCalls() const {
    std::vector<std::pair<int64_t, int64_t>> out;
    for (const SEAM_CALL& c : seam_calls_named("battle_set_command_timer")) out.emplace_back(c.a, c.b);
    return out;
  }
};

TEST_F(CoreHandlersBattle, StartKeepsThePositionClearsTheSceneAndCreatesTheUnits) {
  dispatch(0x30012, 2, sceneChar(kOwn, "Me", 321, 654) + sceneChar(8, "Pal"));
  spectator_slots[3].in_use = 1;
  spectator_slots[3].effect_slot = 4;
  fight_units[4].ready = 1;
  battle_round_end_byte = 1;
  battle_core_state.skill_usage_gain = 9;
  // Slot 25 lies outside the table: that record alone is ignored.
  dispatch(0xc0016, 3, battleUnit(0, kOwn, "Me") + battleUnit(25, 77, "Far") + battleUnit(11, 900, "Wolf"));
  EXPECT_EQ(battle_core_state.kept_map_x, 321);
  EXPECT_EQ(battle_core_state.kept_map_y, 654);
  EXPECT_EQ(scene_chars.count, 0);
  EXPECT_EQ(spectator_slots[3].in_use, 0);
  for (const FIGHT_UNIT& u : spectator_slots) EXPECT_EQ(u.effect_slot, -1);  // free slots show no effect
  for (const FIGHT_UNIT& u : fight_units) EXPECT_EQ(u.effect_slot, -1);
  EXPECT_EQ(fight_units[4].ready, 0);
  EXPECT_EQ(battle_round_end_byte, 0);
  EXPECT_EQ(battle_core_state.skill_usage_gain, 0);
  const auto created = seam_calls_named("battle_create_unit");
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0].a, 0);
  EXPECT_EQ(created[0].b, kOwn);
  EXPECT_EQ(created[0].text, "Me");
  EXPECT_EQ(created[1].a, 11);
  EXPECT_EQ(battle_find_unit(900), 11);
  EXPECT_EQ(battle_start_byte, 1);
  EXPECT_EQ(in_battle_flag, 1);
  EXPECT_EQ(logLines("Except code").size(), 0u);
}

TEST_F(CoreHandlersBattle, ReadyBytesAndTimers) {
  startBattle();
  dispatch(0xc0002, 900);
  EXPECT_EQ(fight_units[10].ready, 1);
  dispatch(0xc0003, 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(fight_units[i].ready, 1) << i;
  EXPECT_EQ(timerCalls(), (std::vector<std::pair<int64_t, int64_t>>{{0, 0}, {1, 0}, {0, 2}, {1, 2}}));

  // The tag reaches only the even units of the first ten; an empty payload clears.
  fight_units[1].ready = 1;
  dispatch(0xc0017, static_cast<int32_t>(kOwn));
  EXPECT_EQ(fight_units[0].ready, 0);
  dispatch(0xc0017, static_cast<int32_t>(kOwn), "x");
  EXPECT_EQ(fight_units[0].ready, 1);
  dispatch(0xc0017, 0x40000001);
  EXPECT_EQ(fight_units[1].ready, 1);
}

TEST_F(CoreHandlersBattle, RoundEndWithTheOwnUnitDown) {
  startBattle(0);
  auto_fight_data.request = 1;
  battle_core_state.skill_usage_gain = 12;
  const uint32_t shots = sys_screenshot_count();
  dispatch(0xc0008, 0);
  EXPECT_EQ(sys_screenshot_count(), shots + 1);
  EXPECT_EQ(auto_fight_data.request, 0);
  EXPECT_EQ(battle_round_end_byte, 1);
  EXPECT_EQ(seam_call_count("battle_free_effects"), 1);
  EXPECT_STREQ(notice_lines().lines[0], "~C2\xA1\xAFs skill usage ~C4+12~C2 points~C0");
  EXPECT_EQ(battle_core_state.skill_usage_gain, 0);

  // Standing, no gain: no screenshot, no notice.
  fight_units[0].hit_points = 5;
  auto_fight_data.request = 1;
  const int32_t notices = notice_lines().count;
  dispatch(0xc0008, 0);
  EXPECT_EQ(sys_screenshot_count(), shots + 1);
  EXPECT_EQ(auto_fight_data.request, 1);
  EXPECT_EQ(notice_lines().count, notices);
}

TEST_F(CoreHandlersBattle, CommandAcknowledgement) {
  startBattle();
  dispatch(0x60001, 1, petRecord(0x40000001, "Pup"));
  dispatch(0x60008, 0x40000001);
  seam_calls_clear();
  // A pet change: both defend with argument 255 and may be sent again.
  BATTLE_COMMAND_SIDE& player = battle_commands.side[0];
  BATTLE_COMMAND_SIDE& pet = battle_commands.side[1];
  player.current = {10, kOwn, 0, 1};
  player.sent = pet.sent = 1;
  dispatch(0xc000b, static_cast<int32_t>(kOwn));
  EXPECT_EQ(player.current.code, 4);
  EXPECT_EQ(player.current.argument, 255);
  EXPECT_EQ(pet.current.code, 4);
  EXPECT_EQ(pet.current.argument, 255);
  EXPECT_EQ(player.sent, 0);
  EXPECT_EQ(pet.sent, 0);
  EXPECT_EQ(timerCalls(), (std::vector<std::pair<int64_t, int64_t>>{{0, 3}, {0, 2}}));

  // The pet's item: chosen again without opening the window.
  seam_calls_clear();
  pet.current = {2, 0x40000001, 900, 30};
  dispatch(0xc000b, 0x40000001);
  const auto selected = seam_calls_named("battle_select_command");
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(selected[0].a, 1);
  EXPECT_EQ(selected[0].b, 2);
  EXPECT_EQ(selected[0].c, 0);
  EXPECT_EQ(timerCalls(), (std::vector<std::pair<int64_t, int64_t>>{{1, 3}, {0, 2}}));

  // The pet's command 6 with an argument turns to defence; without one, or the player's, stays.
  struct Six {
    const char* what;
    uint32_t unit;
    uint16_t argument;
    uint8_t code_after, sent_after;
  } sixes[] = {
      {"pet, argument 3", 0x40000001, 3, 4, 0},
      {"pet, no argument", 0x40000001, BATTLE_ARGUMENT_NONE, 6, 1},
      {"player", kOwn, 3, 6, 1},
  };
  for (const Six& c : sixes) {
    SCOPED_TRACE(c.what);
    BATTLE_COMMAND_SIDE& side = battle_commands.side[c.unit == kOwn ? 0 : 1];
    side.current = {6, c.unit, 900, c.argument};
    side.sent = 1;
    seam_calls_clear();
    dispatch(0xc000b, static_cast<int32_t>(c.unit));
    EXPECT_EQ(side.current.code, c.code_after);
    EXPECT_EQ(side.current.argument, c.argument);
    EXPECT_EQ(side.sent, c.sent_after);
    EXPECT_EQ(seam_call_count("battle_select_command"), 0);
    EXPECT_EQ(timerCalls().size(), 2u);
  }

  // Someone else's unit: nothing.
  seam_calls_clear();
  dispatch(0xc000b, 900);
  EXPECT_TRUE(seam_calls().empty());
}

TEST_F(CoreHandlersBattle, StatusesStatsBytesAndFlags) {
  startBattle();
  dispatch(0xc000c, 3, Bytes().u32(900).u32(0x8000).u32(7).u32(12345).u32(1).u32(1).u32(kOwn).u32(0).u32(0));
  // Stops at the first unknown unit.
  const auto status = seam_calls_named("battle_apply_unit_status");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0].a, 900);
  EXPECT_EQ(status[0].c, 7);
  ASSERT_EQ(seam_call_count("battle_reset_unit_after_action"), 1);
  EXPECT_EQ(seam_calls_named("battle_reset_unit_after_action")[0].a, 10);

  dispatch(0xc000d, 2, handler_test::unitStats(900, 33) + handler_test::unitStats(kOwn, 44));
  EXPECT_EQ(seam_call_count("battle_update_unit_stats"), 2);

  dispatch(0xc0014, 2, Bytes().u32(900).u8(3).zeros(3).u32(kOwn).u8(4).zeros(3));
  EXPECT_EQ(fight_units[10].server_byte, 3);
  EXPECT_EQ(fight_units[0].server_byte, 4);

  fight_units[10].flags = 0x80001;
  fight_units[10].byte_61 = 9;
  dispatch(0x130004, 900);
  EXPECT_EQ(fight_units[10].flags, 0x8001u);
  EXPECT_EQ(fight_units[10].byte_61, 0);
}

TEST_F(CoreHandlersBattle, SceneBattleFlagNpcLookAndAnimation) {
  dispatch(0x30012, 1, sceneChar(8, "Pal", 1, 1, 0, SCENE_FLAG_PARTY_MEMBER));
  dispatch(0xc0011, 8);
  EXPECT_EQ(scene_chars[0].flags, SCENE_FLAG_PARTY_MEMBER | SCENE_FLAG_IN_BATTLE);
  dispatch(0xc0012, 8);
  EXPECT_EQ(scene_chars[0].flags, SCENE_FLAG_PARTY_MEMBER);

  dispatch(0x110005, 8, Bytes().u32(7));
  dispatch(0x110005, 99, Bytes().u32(1));  // nobody
  EXPECT_EQ(scene_chars[0].look, 7);

  dispatch(0x130008, 0, Bytes().u32(1).u32(2).u32(3).u32(4));
  dispatch(0x130008, 0, Bytes().u32(1).u32(2).u32(3).u32(4).u8(0));  // not exactly 16 bytes
  ASSERT_EQ(map_effect_list.count, 1);
  EXPECT_EQ(map_effect_list[0]->map_x, 1);
  EXPECT_EQ(map_effect_list[0]->map_y, 2);
  EXPECT_EQ(map_effect_list[0]->counter, -4);
  EXPECT_EQ(map_effect_list[0]->duration, 4);
}

TEST_F(CoreHandlersBattle, SixOnlookersFillFiveSlots) {
  startBattle();
  std::string six;
  for (uint32_t i = 0; i < 6; ++i) six += sceneChar(101 + i, "Fan" + std::to_string(i));
  for (size_t i = 0; i < 6; ++i) six[101 * 0 + i * 84 + 52] = static_cast<char>(i + 1);  // look numbers 1..6
  dispatch(0xc0015, 6, six);
  EXPECT_EQ(scene_chars.count, 6);
  struct Place {
    int32_t x, y;
  } places[] = {{500, 470}, {550, 480}, {490, 520}, {440, 530}, {450, 680}};
  const auto effects = seam_calls_named("battle_add_effect");
  ASSERT_EQ(effects.size(), 5u);
  for (int s = 0; s < 5; ++s) {
    SCOPED_TRACE(s);
    const FIGHT_UNIT& u = spectator_slots[s];
    EXPECT_EQ(u.in_use, 1);
    EXPECT_EQ(u.shown, 1);
    EXPECT_EQ(u.id, 101u + static_cast<uint32_t>(s));
    EXPECT_EQ(u.look, s + 1);
    EXPECT_EQ(u.x, places[s].x);
    EXPECT_EQ(u.y, places[s].y);
    EXPECT_EQ(effects[static_cast<size_t>(s)].text, "npc\\npc00" + std::to_string(s + 1) + "a.MDA");
    EXPECT_EQ(effects[static_cast<size_t>(s)].c, 7);
    ASSERT_GE(u.effect_slot, 0);
    EXPECT_EQ(battle_effects[u.effect_slot].mirrored, s > 1 ? 1 : 0);
  }
  // The player fights in this battle: everyone is told and the side is ready.
  EXPECT_EQ(battle_core_state.spectating, 1);
  EXPECT_EQ(game_screen_state.spectator_news, 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(fight_units[i].ready, 1);
  EXPECT_EQ(chatLines().size(), 6u);
  EXPECT_EQ(chatLines()[5], " Fan5 enters to spectate!");

  // One leaves: its slot and its effect are free again.
  const int32_t effect = spectator_slots[2].effect_slot;
  dispatch(0xc0013, 103);
  EXPECT_EQ(spectator_slots[2].in_use, 0);
  EXPECT_EQ(battle_effects[effect].active, 0);
}

TEST_F(CoreHandlersBattle, AnOnlookersLookAlreadyLoadedTakesAnEffectSlotDirectly) {
  const int32_t index = mda_table_add_entry();
  ASSERT_GE(index, 0);
  std::strcpy(mda_table.entries[index].file_name, "npc\\npc002a.MDA");
  const int32_t media = mda_table.entries[index].id;
  battle_effects[0].active = 1;  // taken by a skill effect
  std::string one = sceneChar(101, "Fan");
  one[52] = 2;
  dispatch(0xc0015, 1, one);
  EXPECT_EQ(seam_call_count("battle_add_effect"), 0);
  ASSERT_EQ(spectator_slots[0].effect_slot, 1);
  const BATTLE_EFFECT& e = battle_effects[1];
  EXPECT_EQ(e.active, 1);
  EXPECT_EQ(e.media_id, media);
  EXPECT_EQ(e.x, 500);
  EXPECT_EQ(e.y, 470);
  EXPECT_EQ(e.width, 1);  // no frames
  EXPECT_EQ(e.height, 1);
  EXPECT_EQ(e.command, 7);
  mda_table_reset();
}

TEST_F(CoreHandlersBattle, OnlookersOfAnotherBattleAreNotAnnounced) {
  dispatch(0xc0015, 1, sceneChar(101, "Fan"));
  EXPECT_EQ(battle_core_state.spectating, 0);
  EXPECT_TRUE(chatLines().empty());
  EXPECT_EQ(spectator_slots[0].id, 101u);
  EXPECT_EQ(game_screen_state.spectator_news, 1);
}

TEST_F(CoreHandlersBattle, OnlookersOfAWrongLengthEndTheProgram) {
  for (int32_t count : {1, 2, -1}) {
    SCOPED_TRACE(count);
    try {
      dispatch(0xc0015, count, sceneChar(101, "Fan").substr(0, 83) + "");
      ADD_FAILURE() << "no exit";
    } catch (const plat::test::ExitCalled& e) {
      EXPECT_EQ(e.code, -1);
    }
    EXPECT_EQ(scene_chars.count, 0);
    EXPECT_EQ(spectator_slots[0].in_use, 0);
  }
}

TEST_F(CoreHandlersBattle, PulseDrawsTheSceneAndDrawsOneRandomNumber) {
  // The seeded sequence moves by exactly one draw.
  plat::crt_srand(7);
  plat::crt_rand();
  const int next = plat::crt_rand();
  plat::crt_srand(7);
  dispatch(0x90001, 0);
  EXPECT_EQ(plat::crt_rand(), next);
  EXPECT_EQ(seam_call_count("scene_draw_frame"), 1);
}

// The senders send a ready command once a round.
class SendersBattle : public CoreHandlersBattle {};

TEST_F(SendersBattle, TwoCommandsInOneRoundSendOne) {
  startBattle();
  BATTLE_COMMAND_SIDE& player = battle_commands.side[0];
  player.current = {0, kOwn, 900, 0xFFFF};
  EXPECT_EQ(req_battle_command(), 0);  // not ready: nothing
  EXPECT_TRUE(world->sends.empty());
  player.ready = 1;
  req_battle_command();
  req_battle_command();
  ASSERT_EQ(world->sends.size(), 1u);
  EXPECT_EQ(world->sends[0].id, 0xc0005u);
  EXPECT_EQ(world->sends[0].arg, 0);
  const std::string want = Bytes().u8(0).zeros(3).u32(kOwn).u32(900).u16(0xFFFF).zeros(2);
  EXPECT_EQ(std::string(world->sends[0].payload.begin(), world->sends[0].payload.end()), want);
  EXPECT_EQ(player.sent, 1);
  EXPECT_EQ(player.last.target, 900u);
  EXPECT_EQ(battle_commands.last_stored, 1);
  EXPECT_EQ(fight_units[0].shown_command[2], 900u);

  BATTLE_COMMAND_SIDE& pet = battle_commands.side[1];
  pet.current = {4, 0x40000001, 0, 0xFFFF};
  pet.ready = 1;
  req_battle_pet_command();
  req_battle_pet_command();
  ASSERT_EQ(world->sends.size(), 2u);
  EXPECT_EQ(world->sends[1].id, 0xc000au);
  EXPECT_EQ(fight_units[1].shown_command[0], 4u);
}

// A payload shorter than a battle handler needs: one "Except code" line, nothing changed.
TEST_F(CoreHandlersBattle, Truncated) {
  startBattle();
  struct Case {
    uint32_t id;
    int32_t arg;
    std::string full;
  };
  const Case cases[] = {
      {0xc000c, 2, Bytes().u32(900).u32(1).u32(2).u32(kOwn).u32(1).u32(2)},
      {0xc000d, 2, handler_test::unitStats(900, 1) + handler_test::unitStats(kOwn, 1)},
      {0xc0014, 2, Bytes().u32(900).u8(3).zeros(3).u32(kOwn).u8(4).zeros(3)},
      {0xc0016, 2, battleUnit(0, 1, "a") + battleUnit(1, 2, "b")},
      {0x110005, 5, Bytes().u32(1)},
  };
  dispatch(0x30012, 1, sceneChar(kOwn, "Me"));
  seam_calls_clear();
  std::vector<uint8_t> units_before(sizeof fight_units);
  std::memcpy(units_before.data(), fight_units, sizeof fight_units);
  for (const Case& c : cases) {
    for (size_t len = 0; len < c.full.size(); ++len) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " length " << len);
      const size_t lines = logLines("Except code").size();
      std::vector<uint8_t> bytes(c.full.begin(), c.full.begin() + static_cast<long>(len));
      net_dispatch_message(c.id, c.arg, bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(len), false);
      EXPECT_EQ(logLines("Except code").size(), lines + 1);
      EXPECT_EQ(std::memcmp(units_before.data(), fight_units, sizeof fight_units), 0);
      EXPECT_TRUE(seam_calls().empty());
      EXPECT_EQ(scene_chars.count, 1);
      EXPECT_EQ(battle_start_byte, 0);
    }
    for (int32_t arg : {c.arg + 1, 0x7FFFFFFF, -2}) {
      if (c.id == 0x110005) continue;
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " count " << arg);
      const size_t lines = logLines("Except code").size();
      dispatch(c.id, arg, c.full);
      EXPECT_EQ(logLines("Except code").size(), lines + 1);
      EXPECT_TRUE(seam_calls().empty());
      EXPECT_EQ(battle_start_byte, 0);
    }
  }
}

}  // namespace

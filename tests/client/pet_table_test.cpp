// The pet table's operations and the pet messages through the real dispatcher table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/edit/game_edit.h"
#include "client/game/frame_input.h"
#include "client/state/pet_table.h"
#include "client/state/player_state.h"
#include "client/ui/message_box.h"
#include "plat/winmsg.h"
#include "social/macro/macro_system.h"
#include "tests/client/battle_payloads.h"
#include "tests/client/core_handlers_fixture.h"
#include "tests/support/scene_looks.h"
#include "ui/notices/notice_lines.h"
#include "world/scene/scene_chars.h"

namespace {

using handler_test::Bytes;
using handler_test::petDetails;
using handler_test::petRecord;
using handler_test::sceneChar;

class CoreHandlersPets : public CoreHandlers {
 protected:
  void dismissNextBox() { scheduleMessage(elapsedMs() + 200, plat::WM_LBUTTONUP, 0, (10 << 16) | 10); }


  std::string newestNotice() const { return notice_lines().count ? notice_lines().lines[0] : ""; }

  // A list of pets with the ids given, each with its details.
  void givePets(const std::vector<uint32_t>& ids) {
    std::string list;
    for (uint32_t id : ids) list += petRecord(id, "Pet" + std::to_string(id));
    dispatch(0x60001, static_cast<int32_t>(ids.size()), list);
    for (uint32_t id : ids) dispatch(0x6000c, static_cast<int32_t>(id), petDetails(id * 10));
    world->sends.clear();
  }
};

TEST_F(CoreHandlersPets, ListThenDetailRequestAndTheActivePet) {
  pet_state.active_id = 42;
  dispatch(0x60001, 2, petRecord(41, "Rex") + petRecord(42, "Fido"));
  EXPECT_EQ(pet_state.loaded, 1);
  EXPECT_EQ(pet_state.count, 2u);
  EXPECT_EQ(pet_state.active_index, 1);
  EXPECT_EQ(pet_current_index, 1);
  EXPECT_STREQ(pet_table[1].name, "Fido");
  ASSERT_EQ(world->sends.size(), 1u);
  EXPECT_EQ(world->sends[0].id, 0x6000cu);
  EXPECT_EQ(world->sends[0].arg, 0);
  EXPECT_TRUE(world->sends[0].payload.empty());

  // An empty list leaves nothing, no active index and asks for no details.
  world->sends.clear();
  dispatch(0x60001, 0);
  EXPECT_EQ(pet_state.count, 0u);
  EXPECT_EQ(pet_table[0].id, 0u);
  EXPECT_EQ(pet_state.active_index, PET_NO_INDEX);
  EXPECT_TRUE(world->sends.empty());
}

TEST_F(CoreHandlersPets, RemovingSlotZeroOfThreeMovesTheOthersWithTheirDetailsAndFlags) {
  givePets({41, 42, 43});
  pet_state.following[1] = 1;
  pet_state.following[2] = 0;
  pet_state.following[0] = 1;
  pet_slot_list = {{0, 1, 2}, 3};
  pet_current_index = 2;
  pet_shown_media = 9;
  dispatch(0x6000b, 0, Bytes().u32(41));
  EXPECT_EQ(pet_table[0].id, 42u);
  EXPECT_EQ(pet_table[1].id, 43u);
  EXPECT_EQ(pet_table[2].id, 0u);
  EXPECT_EQ(pet_state.details[0].details[0], 420u);
  EXPECT_EQ(pet_state.details[1].details[0], 430u);
  EXPECT_EQ(pet_state.details[2].valid, 0);
  EXPECT_EQ(pet_state.following[0], 1);
  EXPECT_EQ(pet_state.following[1], 0);
  EXPECT_EQ(pet_state.following[2], 0);
  EXPECT_EQ(pet_state.count, 2u);
  EXPECT_EQ(pet_slot_list.count, 2);
  EXPECT_EQ(pet_slot_list.slots[0], 1);
  EXPECT_EQ(pet_slot_list.slots[1], 2);
  EXPECT_EQ(pet_current_index, -1);
  ASSERT_EQ(seam_calls_named("scene_release_object_unless_shown").size(), 1u);
  EXPECT_EQ(seam_calls_named("scene_release_object_unless_shown")[0].a, 9);

  // A pet not in the table, or a refusal, removes nothing.
  dispatch(0x6000b, 0, Bytes().u32(41));
  dispatch(0x6000b, 1, Bytes().u32(42));
  EXPECT_EQ(pet_state.count, 2u);
}

TEST_F(CoreHandlersPets, AFifteenthPetShowsOneBoxAndTheFourteenStay) {
  std::string list;
  for (uint32_t i = 0; i < 16; ++i) list += petRecord(100 + i, "p");
  dismissNextBox();
  dispatch(0x60001, 16, list);
  EXPECT_EQ(logLines("BAOBAO STACK OVERFLOW !!!").size(), 1u);
  EXPECT_EQ(pet_state.count, 14u);
  EXPECT_EQ(pet_table[13].id, 113u);

  // A new pet into a full table: the box, nothing stored; the loaded byte and event 15 as ever.
  dismissNextBox();
  dispatch(0x6000a, 1, petRecord(200, "new") + petDetails(1));
  EXPECT_EQ(logLines("BAOBAO STACK OVERFLOW !!!").size(), 2u);
  EXPECT_EQ(pet_index_by_id(200), -1);
}

TEST_F(CoreHandlersPets, NewPetTakesTheFirstFreeSlotWithItsDetails) {
  givePets({41, 42});
  dispatch(0x6000a, 1, petRecord(50, "Neo") + petDetails(7));
  ASSERT_EQ(pet_index_by_id(50), 2);
  EXPECT_EQ(pet_state.details[2].valid, 1);
  EXPECT_EQ(pet_state.details[2].details[14], 21u);
  int32_t n = 0;
  const MACRO_EVENT_RECORD* ev = macro_raised_events(&n);
  ASSERT_GE(n, 1);
  EXPECT_EQ(ev[n - 1].event, 15);

  dispatch(0x6000a, 0, petRecord(51, "No") + petDetails(7));
  dispatch(0x6000a, 1, petRecord(52, "Short"));
  dispatch(0x6000a, 1, petRecord(53, "Long") + petDetails(7) + "x");  // exactly 200 bytes or none
  EXPECT_EQ(popups(), std::vector<std::string>(3, "Pet carry exceeds the upper limit!"));
  EXPECT_EQ(pet_state.count, 3u);
}

TEST_F(CoreHandlersPets, FollowOwnAndForeign) {
  frame_input.own_char_id = 5;
  scene_player_id = 5;
  dispatch(0x30012, 2, sceneChar(5, "Me") + sceneChar(77, "Them"));
  veldra_test::writeSceneLook(dir, 0x1234);
  dispatch(0x60001, 2, petRecord(41, "Rex", 5, 0x1234, 7) + petRecord(42, "Fido"));
  const std::string follow = Bytes().u32(41).u32(5).u16(9).u8(1).text("ignored", 15).u8(3).u8(0);
  dispatch(0x60006, 5, follow);
  EXPECT_EQ(pet_state.following[0], 1);
  EXPECT_EQ(pet_state.some_follows, 1);
  // Built from the pet record: the player's id, the look at 110 and the pet's own name.
  ASSERT_GE(scene_find_char(41), 0);
  const SCENE_CHAR& rex = scene_chars[scene_find_char(41)];
  EXPECT_EQ(rex.owner_id, 5u);
  EXPECT_EQ(rex.look, 0x1234);
  EXPECT_STREQ(rex.name, "Rex");

  // Another owner's follower goes to the scene as sent; one of ours is marked following; one
  // whose owner is not on the map is not added.
  dispatch(0x60006, 77, Bytes().u32(42).u32(77).u16(9).u8(1).text("Other", 15).u8(3).u8(0));
  dispatch(0x60006, 78, Bytes().u32(900).u32(78).u16(8).u8(1).text("Stray", 15).u8(3).u8(0));
  ASSERT_GE(scene_find_char(42), 0);
  const SCENE_CHAR& other = scene_chars[scene_find_char(42)];
  EXPECT_EQ(other.owner_id, 77u);
  EXPECT_EQ(other.look, 9);
  EXPECT_STREQ(other.name, "Other");
  EXPECT_EQ(pet_state.following[1], 1);
  EXPECT_EQ(scene_find_char(900), -2);

  dispatch(0x60006, -1);
  EXPECT_EQ(popups(), std::vector<std::string>{"Pet\xA1\xAFs following error"});

  dispatch(0x60007, 41);
  EXPECT_EQ(pet_state.following[0], 0);
  EXPECT_EQ(pet_state.some_follows, 0);
}

TEST_F(CoreHandlersPets, ValuesLevelsAndDetails) {
  givePets({41, 42});
  // Level: the block and the ten values, level bits back to 100, the notice.
  Bytes level;
  for (uint32_t i = 0; i < 18; ++i) level.u32(500 + i);
  level.u32(12);
  for (uint32_t i = 1; i < 10; ++i) level.u32(600 + i);
  pet_table[1].level_bits = 0x8005;
  dispatch(0x60004, 42, level);
  EXPECT_EQ(pet_table[1].stats[17], 517);
  EXPECT_EQ(pet_table[1].values[0], 12);
  EXPECT_EQ(pet_table[1].level_bits, 0x8000 | 100);
  EXPECT_EQ(newestNotice(), "~C2\xA1\xAFs pet hit level ~C4" "12~C2 ~C0");

  // Experience: a gain is told, a loss is not; the three words are stored.
  pet_table[1].values[7] = 1000;
  dispatch(0x60005, 42, Bytes().u32(1250).u32(2).u32(3));
  EXPECT_EQ(newestNotice(), "~C2\xA1\xAFs pet obtained ~C4" "250~C2 Exp~C0");
  EXPECT_EQ(pet_table[1].values[9], 3);
  const int32_t notices = notice_lines().count;
  dispatch(0x60005, 42, Bytes().u32(10).u32(2).u32(3));
  EXPECT_EQ(notice_lines().count, notices);
  EXPECT_EQ(pet_table[1].values[7], 10);

  // The block only at exactly 72 bytes; values; level bits; unknown pets are ignored.
  dispatch(0x6000d, 41, std::string(72, '\x01'));
  EXPECT_EQ(pet_table[0].stats[0], 0x01010101);
  dispatch(0x6000d, 41, std::string(76, '\x02'));
  EXPECT_EQ(pet_table[0].stats[0], 0x01010101);
  dispatch(0x6000e, 41, std::string(40, '\x03'));
  EXPECT_EQ(pet_table[0].values[9], 0x03030303);
  pet_table[0].level_bits = 0xFF80;
  dispatch(0x6000f, 41, Bytes().u8(0xC5));
  EXPECT_EQ(pet_table[0].level_bits, 0xFFC5);
  dispatch(0x6000e, 99, std::string(40, '\x04'));
  EXPECT_EQ(pet_table[0].values[9], 0x03030303);

  // All details only when the count matches the pets.
  dispatch(0x60010, 1, petDetails(1));
  EXPECT_EQ(pet_state.details[0].details[0], 410u);
  dispatch(0x60010, 2, petDetails(1) + petDetails(101));
  EXPECT_EQ(pet_state.details[0].details[0], 1u);
  EXPECT_EQ(pet_state.details[1].details[14], 115u);
}

TEST_F(CoreHandlersPets, ActiveInactiveRestoresAndTheValueOfTheActivePet) {
  frame_input.own_char_id = 5;
  dispatch(0x30012, 1, sceneChar(5, "Me"));
  givePets({41, 42});
  // Without an active pet a restore without id changes nothing.
  dispatch(0xd0003, 77);
  EXPECT_EQ(scene_chars[0].flags & SCENE_FLAG_RESTORED, 0u);
  dispatch(0x60008, 42);
  EXPECT_EQ(pet_state.active_index, 1);
  EXPECT_EQ(pet_current_index, 1);
  dispatch(0xd0003, 77);
  dispatch(0xd0004, 88, Bytes().u32(41));
  EXPECT_EQ(pet_table[1].values[2], 77);
  EXPECT_EQ(pet_table[0].values[4], 88);
  EXPECT_EQ(scene_chars[0].flags & SCENE_FLAG_RESTORED, SCENE_FLAG_RESTORED);
  pet_table[1].stats[PET_STAT_VALUE24] = static_cast<int32_t>(0xAB000000u);
  dispatch(0xd0006, 0, Bytes().u32(0xFF123456));
  EXPECT_EQ(static_cast<uint32_t>(pet_table[1].stats[PET_STAT_VALUE24]), 0xAB123456u);

  dispatch(0x60009, 41);  // not the active one
  EXPECT_EQ(pet_state.active_id, 42u);
  dispatch(0x60009, 42);
  EXPECT_EQ(pet_state.active_id, 0u);
  EXPECT_EQ(pet_state.active_index, PET_NO_INDEX);
  dispatch(0xd0006, 0, Bytes().u32(1));
  EXPECT_EQ(static_cast<uint32_t>(pet_table[1].stats[PET_STAT_VALUE24]), 0xAB123456u);
}

TEST_F(CoreHandlersPets, PointAllocationAddsOrTakesBack) {
  givePets({41});
  pet_table[0].stats[0] = 10;
  pet_table[0].stats[4] = 20;
  const uint8_t pending[10] = {3, 0, 0, 0, 0, 0, 0, 0, 2, 1};  // free +3, the fourth attribute +258
  std::memcpy(pet_state.pending[0], pending, sizeof pending);
  dispatch(0x60003, 41, std::string(40, '\x05'));
  EXPECT_EQ(pet_table[0].stats[0], 13);
  EXPECT_EQ(pet_table[0].stats[4], 278);
  EXPECT_EQ(pet_table[0].values[0], 0x05050505);
  EXPECT_EQ(pet_state.pending[0][9], 0);
  EXPECT_EQ(player_state.stat_refresh, 1);
  EXPECT_TRUE(popups().empty());

  std::memcpy(pet_state.pending[0], pending, sizeof pending);
  dispatch(0x60003, 41, std::string(36, '\x06'));
  EXPECT_EQ(pet_table[0].stats[0], 10);
  EXPECT_EQ(pet_table[0].stats[4], 20);
  EXPECT_EQ(pet_table[0].values[0], 0x05050505);
  EXPECT_EQ(popups(), std::vector<std::string>{"Points calculation error! Please reallocate!"});

  // The values are signed, as the player's: -3 free points; and the sums wrap in 32 bits.
  pet_table[0].stats[0] = 10;
  pet_table[0].stats[1] = INT32_MAX;
  pet_table[0].stats[2] = INT32_MIN;
  const uint8_t edges[10] = {0xFD, 0xFF, 1, 0, 2, 0, 0, 0, 0, 0};
  std::memcpy(pet_state.pending[0], edges, sizeof edges);
  dispatch(0x60003, 41, std::string(40, '\x05'));
  EXPECT_EQ(pet_table[0].stats[0], 7);
  EXPECT_EQ(pet_table[0].stats[1], INT32_MIN);
  EXPECT_EQ(pet_table[0].stats[2], INT32_MIN + 2);
  std::memcpy(pet_state.pending[0], edges, sizeof edges);
  dispatch(0x60003, 41, "");  // refused: taken back, wrapping the other way
  EXPECT_EQ(pet_table[0].stats[0], 10);
  EXPECT_EQ(pet_table[0].stats[1], INT32_MAX);
  EXPECT_EQ(pet_table[0].stats[2], INT32_MIN);
}

TEST_F(CoreHandlersPets, RenameTakesTheEditBoxTextOrPutsTheNameBack) {
  givePets({41});
  pet_name_edit.clear_text();
  pet_name_edit.insert_text("Bolt");
  dispatch(0x30012, 1, sceneChar(41, "Rex"));  // the pet walking in the scene
  dispatch(0x60002, 0, Bytes().u32(41));
  EXPECT_STREQ(pet_table[0].name, "Bolt");
  EXPECT_STREQ(scene_chars[scene_find_char(41)].name, "Bolt");

  pet_name_edit.clear_text();
  pet_name_edit.insert_text("Nope");
  dispatch(0x60002, -1, Bytes().u32(41));
  char text[32];
  EXPECT_STREQ(pet_name_edit.get_text(text, sizeof text), "Bolt");
}

// A payload shorter than the words a pet handler reads: one "Except code" line, nothing changed.
TEST_F(CoreHandlersPets, Truncated) {
  frame_input.own_char_id = 5;
  givePets({41, 42});
  dispatch(0x60008, 41);
  struct Case {
    uint32_t id;
    int32_t arg;
    std::string full;
    bool empty_ignored;  // the handler's own rule for no payload
  };
  Bytes level;
  for (uint32_t i = 0; i < 28; ++i) level.u32(i);
  const Case cases[] = {
      {0x60001, 2, petRecord(1, "a") + petRecord(2, "b"), false},
      {0x60002, 0, Bytes().u32(41), false},
      {0x60004, 41, level, true},
      {0x60005, 41, Bytes().u32(1).u32(2).u32(3), false},
      {0x60006, 5, Bytes().u32(41).u32(5).u16(9).u8(1).text("x", 15).u8(3).u8(0), false},
      {0x6000b, 0, Bytes().u32(41), false},
      {0x6000c, 41, petDetails(1), false},
      {0x6000d, 41, std::string(72, '\x01'), false},
      {0x6000e, 41, std::string(40, '\x01'), false},
      {0x6000f, 41, Bytes().u8(1), false},
      {0x60010, 2, petDetails(1) + petDetails(2), false},
      {0xd0003, 9, Bytes().u32(41), true},
      {0xd0004, 9, Bytes().u32(41), true},
      {0xd0006, 0, Bytes().u32(41), false},
  };
  PET_RECORD table_before[PET_COUNT];
  std::memcpy(table_before, pet_table, sizeof pet_table);
  const PET_STATE state_before = pet_state;
  const int seams = static_cast<int>(seam_calls().size());
  for (const Case& c : cases) {
    for (size_t len = 0; len < c.full.size(); ++len) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " length " << len);
      if (len == 0 && c.empty_ignored && c.id != 0x60004) continue;  // the active pet's restore
      const size_t lines = logLines("Except code").size();
      std::vector<uint8_t> bytes(c.full.begin(), c.full.begin() + static_cast<long>(len));
      net_dispatch_message(c.id, c.arg, bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(len), false);
      EXPECT_EQ(logLines("Except code").size(), lines + (len == 0 && c.empty_ignored ? 0 : 1));
      EXPECT_EQ(std::memcmp(table_before, pet_table, sizeof pet_table), 0);
      EXPECT_EQ(std::memcmp(&state_before.details, &pet_state.details, sizeof pet_state.details), 0);
      EXPECT_EQ(pet_state.count, state_before.count);
      EXPECT_EQ(std::memcmp(state_before.following, pet_state.following, sizeof pet_state.following), 0);
      EXPECT_EQ(static_cast<int>(seam_calls().size()), seams);
      EXPECT_TRUE(world->sends.empty());
    }
  }
  // Counts beyond the payload, and negative ones.
  for (int32_t arg : {3, 0x7FFFFFFF, -1}) {
    SCOPED_TRACE(arg);
    const size_t lines = logLines("Except code").size();
    dispatch(0x60001, arg, petRecord(1, "a") + petRecord(2, "b"));
    EXPECT_EQ(logLines("Except code").size(), lines + 1);
    EXPECT_EQ(pet_state.count, 2u);
  }
}

}  // namespace

// The scene's messages through the real dispatcher: characters entering (0x30012, 0x3000a),
// walking (0x30001), leaving (0x3001f), a pet joining its owner (0x60006), an NPC look (0x110005),
// a timed animation (0x130008) and a map change in the game main task (0x30100).
#include <gtest/gtest.h>

#include <string>

#include "client/game/task_state.h"
#include "client/game/task_table.h"
#include "client/state/pet_table.h"
#include "graphics/frame_cmd/map_effects.h"
#include "tests/client/handler_payloads.h"
#include "tests/world/scene_fixture.h"
#include "tools/mapwrite/mapwrite.h"

namespace scene_test {
namespace {

using handler_test::Bytes;

class SceneHandlers : public SceneTest {
 protected:
  // The 84-byte record as the server sends it.
  static std::string wire(uint32_t id, const std::string& name, int32_t look, uint16_t x, uint16_t y, uint8_t dir = 0,
                          uint8_t mode = 0) {
    Bytes b;
    b.u32(id).text(name, 21).text("", 27).u32(static_cast<uint32_t>(look)).u8(0).u8(0).u16(x).u16(y).u16(x).u16(y);
    b.u8(0).u8(0).u8(dir).u8(mode).zeros(2).u32(0).u8(0).zeros(3).u32(0xFFFFFFFF);
    return b;
  }
};

TEST_F(SceneHandlers, Road) {
  // The player arrives on map 1 in the game main task.
  mapw::MapFile town;
  town.width = 1600;
  town.height = 1200;
  town.background = false;
  town.objects = {{"fountain.wav", 500, 400, 0, 0}};
  const std::vector<uint8_t> map = mapw::map_build(town);
  dir.write("MAP/MAP001.MAP", std::string(map.begin(), map.end()));
  task_current_row = task_find_row(TASK_GAME_MAIN);
  dispatch(0x30100, 0, handler_test::mapRecord("Demo Town", 1, kPlayerId));
  ASSERT_GE(scene_find_char(kPlayerId), 0);
  EXPECT_EQ(scene_player_slot(), scene_find_char(kPlayerId));
  EXPECT_GE(of(kPlayerId).look_handle, 0) << "the player's own look";
  EXPECT_EQ(map_record.display.map_width, 1600);

  // NPCs and players near (300, 400) get looks; NPC directions mod 4.
  dispatch(0x30012, 2, wire(kNpc | 1, "Smith", 3, 350, 420, 6) + wire(kNpc | 2, "Far", 3, 5000, 5000));
  dispatch(0x3000a, 1, wire(7, "Pal", 4, 320, 410, 5, 1) + Bytes().u32(0).s);
  EXPECT_EQ(of(kNpc | 1).direction, 2);
  EXPECT_GE(of(kNpc | 1).look_handle, 0);
  EXPECT_EQ(of(kNpc | 2).look_handle, -1);
  EXPECT_GE(of(7).look_handle, 0);

  // A far walker jumps to its target; a near one keeps walking.
  dispatch(0x30001, 2, Bytes().u32(kNpc | 2).u16(5100).u16(5000).u8(1).zeros(3).u32(7).u16(330).u16(410).u8(1).zeros(3));
  EXPECT_EQ(of(kNpc | 2).x, 5100);
  EXPECT_EQ(of(7).x, 320);
  EXPECT_EQ(of(7).target_x, 330);

  // A pet joins Pal: titled with the owner's name, at the owner's feet.
  dispatch(0x60006, 7, Bytes().u32(kPet | 9).u32(7).u16(5).u8(1).text("Rex", 15).u8(0).u8(0).s);
  ASSERT_GE(scene_find_char(kPet | 9), 0);
  EXPECT_STREQ(of(kPet | 9).title, "Pal\xA1\xAFs pet");
  EXPECT_EQ(of(kPet | 9).owner_id, 7u);
  EXPECT_EQ(of(kPet | 9).x, 320);

  // An NPC look for Pal.
  dispatch(0x110005, 7, Bytes().u32(8).s);
  EXPECT_EQ(of(7).look, 8);
  EXPECT_GE(of(7).look_handle, 0);

  // A timed animation in the last empty slot.
  dir.write("ani/Obj147a.mda", veldra_test::sceneLookBytes(1, {2}));
  map_effect_add(-1, 0, 0, 0, 0);
  map_effect_add(-1, 0, 0, 0, 0);
  map_effect_delete(0);
  dispatch(0x130008, 0, Bytes().u32(600).u32(700).u32(0).u32(30).s);
  ASSERT_NE(map_effect_list[0], nullptr);
  EXPECT_EQ(map_effect_list[0]->map_x, 600);
  EXPECT_EQ(map_effect_list[0]->counter, -30);

  // Leaving: Pal goes; the pet follows on the next frame.
  dispatch(0x3001f, 1, Bytes().u32(7).s);
  EXPECT_EQ(scene_find_char(7), -2);
  scene_update_chars();
  EXPECT_EQ(scene_find_char(kPet | 9), -2);

  // A second map change clears the others and keeps the player.
  dispatch(0x30100, 0, handler_test::mapRecord("Demo Town", 1, kPlayerId));
  EXPECT_EQ(scene_chars.count, 1);
  EXPECT_EQ(scene_player_slot(), 0);
  EXPECT_EQ(map_effect_list.count, 0);
}

}  // namespace
}  // namespace scene_test

// Looks by the player's reach: characters and look objects crossing the reach box are loaded,
// flagged for release and found again by name; the player's refresh comes at most every 2 s;
// clearing the scene releases looks and timed animations.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/frame_cmd/map_effects.h"
#include "tests/world/scene_fixture.h"
#include "world/scene/scene_frame.h"
#include "world/scene/scene_services.h"

namespace scene_test {
namespace {

class SceneLooks : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    blankMap(400, 400, 20, 20);
    dir.write("MDA/flag.mda", veldra_test::sceneLookBytes(1, {3}));
    dir.write("MDA/far.mda", veldra_test::sceneLookBytes(1, {2}));
    map_record.objects.clear();
    map_record.objects.push_back(object("flag.mda", 1200, 1100, MAP_OBJECT_LOOK));
    map_record.objects.push_back(object("far.mda", 4900, 4900, MAP_OBJECT_LOOK));
    map_record.objects.push_back(object("gone.mda", 1100, 1100, MAP_OBJECT_LOOK));
    map_record.objects.push_back(object("fountain.wav", 1000, 1000, MAP_OBJECT_SOUND));
  }
  static MAP_OBJECT object(const char* name, int32_t x, int32_t y, int32_t kind) {
    MAP_OBJECT o{};
    std::snprintf(o.name, sizeof o.name, "%s", name);
    o.x = x;
    o.y = y;
    o.kind = kind;
    o.look = -1;
    o.voice = -1;
    return o;
  }
  static void moveTo(uint32_t id, uint16_t x, uint16_t y) {
    SCENE_POSITION_RECORD p{id, x, y, 1};
    scene_update_char_position(p);
  }
};

TEST_F(SceneLooks, Reach) {
  addPlayer(1000, 1000);  // reach: 200..1800 across, 400..1600 down
  const MAP_OBJECT& flag = map_record.objects[0];
  ASSERT_GE(flag.look, 0);
  EXPECT_EQ(flag.frame_width, 16);
  EXPECT_EQ(flag.frame_height, 32);
  EXPECT_EQ(flag.step_count, 3);
  EXPECT_EQ(map_record.objects[1].look, -1);
  EXPECT_EQ(map_record.objects[2].look, -1);
  EXPECT_EQ(logLines("Unable to launch gone.mda file").size(), 1u);
  EXPECT_EQ(map_record.objects[3].look, -1);  // sounds have no look

  // Characters by their walk targets: the box's edges are inside.
  struct Case {
    uint32_t id;
    uint16_t x, y;
    bool loaded;
  } cases[] = {
      {kNpc | 1, 1800, 1600, true}, {kNpc | 2, 200, 400, true}, {kNpc | 3, 1801, 1000, false},
      {kNpc | 4, 1000, 399, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    ASSERT_GE(scene_add_char(record(c.id, "N", 3, c.x, c.y)), 0);
    EXPECT_EQ(of(c.id).look_handle >= 0, c.loaded);
  }
  // One look entry, found by name, shared.
  const int32_t shared = of(kNpc | 1).look_handle;
  EXPECT_EQ(of(kNpc | 2).look_handle, shared);

  // Leaving the reach: flagged 1, no look, and a character without a look stands at its target.
  moveTo(kNpc | 1, 3000, 1000);
  EXPECT_EQ(of(kNpc | 1).look_handle, -1);
  EXPECT_EQ(of(kNpc | 1).x, 3000);
  EXPECT_EQ(entryOf(shared)->release_flag, SCENE_RELEASE_CHAR_LOOK);
  // Still worn by the other: the upkeep clears the flag.
  mda_table_keep_used_entries();
  EXPECT_EQ(entryOf(shared)->release_flag, SCENE_RELEASE_NONE);
  moveTo(kNpc | 2, 3000, 1000);
  mda_table_keep_used_entries();
  EXPECT_EQ(entryOf(shared)->release_flag, SCENE_RELEASE_CHAR_LOOK);  // nobody wears it
  // Coming back finds the flagged entry by name.
  moveTo(kNpc | 3, 1700, 1000);
  EXPECT_EQ(of(kNpc | 3).look_handle, shared);
  EXPECT_EQ(of(kNpc | 3).x, 1801) << "a character with a look walks; it does not jump";

  // The player's refresh: armed by the first move, then at most every 2000 ms.
  const int32_t flag_look = map_record.objects[0].look;
  const int32_t p = scene_find_char(kPlayerId);
  scene_chars[p].x = scene_chars[p].y = 4800;
  moveTo(kPlayerId, 4800, 4800);
  hp().fakeClock().advance(1999);
  moveTo(kPlayerId, 4800, 4800);
  EXPECT_GE(map_record.objects[0].look, 0) << "not refreshed yet";
  hp().fakeClock().advance(1);
  moveTo(kPlayerId, 4800, 4800);
  EXPECT_EQ(map_record.objects[0].look, -1);
  ASSERT_NE(entryOf(flag_look), nullptr) << "flagged, not freed";
  EXPECT_EQ(entryOf(flag_look)->release_flag, SCENE_RELEASE_OBJECT_LOOK);
  EXPECT_GE(map_record.objects[1].look, 0);
  EXPECT_EQ(of(kNpc | 3).look_handle, -1) << "the others are re-examined with the player";
}

TEST_F(SceneLooks, ObjectFlagsAndClearing) {
  addPlayer(1000, 1000);
  const int32_t flag = map_record.objects[0].look;
  ASSERT_GE(flag, 0);
  // Flagged 2 while a look object still shows it: kept; once no object does: left flagged.
  mda_flag_release(flag, SCENE_RELEASE_OBJECT_LOOK);
  mda_table_keep_used_entries();
  EXPECT_EQ(entryOf(flag)->release_flag, SCENE_RELEASE_NONE);
  map_record.objects[0].look = -1;
  mda_flag_release(flag, SCENE_RELEASE_OBJECT_LOOK);
  mda_table_keep_used_entries();
  EXPECT_EQ(entryOf(flag)->release_flag, SCENE_RELEASE_OBJECT_LOOK);
  // A character's look flagged 2 is not kept by the character rule.
  const int32_t body = of(kPlayerId).look_handle;
  mda_flag_release(body, SCENE_RELEASE_OBJECT_LOOK);
  mda_table_keep_used_entries();
  EXPECT_EQ(entryOf(body)->release_flag, SCENE_RELEASE_OBJECT_LOOK);

  // Timed animations take the last empty slot.
  dir.write("ani/Obj147a.mda", veldra_test::sceneLookBytes(1, {4}));
  for (int i = 0; i < 4; ++i) map_effect_add(-1, 0, i, i, 0);
  map_effect_delete(1);
  map_effect_delete(3);
  scene_add_obj147_animation(300, 400, 0, 25);
  ASSERT_EQ(map_effect_list.count, 4);
  ASSERT_NE(map_effect_list[3], nullptr);
  EXPECT_EQ(map_effect_list[1], nullptr);
  const MAP_EFFECT e = *map_effect_list[3];
  EXPECT_GE(e.handle, 0);
  EXPECT_EQ(e.counter, -25);
  EXPECT_EQ(e.map_x, 300);
  EXPECT_EQ(e.map_y, 400);
  EXPECT_EQ(e.duration, 25);
  map_effect_delete(0);
  map_effect_delete(2);
  scene_add_obj147_animation(1, 2, 0, 3);
  EXPECT_NE(map_effect_list[2], nullptr);
  EXPECT_EQ(map_effect_list[2]->handle, e.handle) << "found by name";

  // Clearing releases the looks and the animations.
  scene_clear_chars();
  EXPECT_EQ(mda_find_by_name("NPC\\NPC005a.MDA"), -2);
  EXPECT_EQ(mda_find_by_name("ani\\Obj147a.mda"), -2);
  EXPECT_EQ(map_effect_list.count, 0);
}

TEST_F(SceneLooks, NpcLook) {
  addPlayer(1000, 1000);
  ASSERT_GE(scene_add_char(record(kNpc | 1, "A", 3, 1000, 1000)), 0);
  ASSERT_GE(scene_add_char(record(kNpc | 2, "B", 3, 1010, 1000)), 0);
  const int32_t shared = of(kNpc | 1).look_handle;
  ASSERT_GE(shared, 0);
  ASSERT_EQ(of(kNpc | 2).look_handle, shared) << "found by name";

  // Files that cannot serve: a box each, -2, the old look kept.
  dir.write("NPC/NPC078a.MDA", std::string(64, 'x'));
  struct Refusal {
    int32_t look;
    const char* text;
  } refusals[] = {{77, "Unable to launch NPC\\NPC077a.MDA file"}, {78, "NPC\\NPC078a.MDA is not MDA file"}};
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.text);
    dismissNextBox();
    EXPECT_EQ(scene_set_char_npc_look(scene_find_char(kNpc | 1), r.look), -2);
    EXPECT_EQ(logLines(r.text).size(), 1u);
    EXPECT_EQ(of(kNpc | 1).look, 3);
    EXPECT_EQ(of(kNpc | 1).look_handle, shared);
  }

  // A takes look 12 (command n has n + 1 steps); B still wears look 3, which stays loaded.
  std::vector<int> steps;
  for (int n = 0; n < 40; ++n) steps.push_back(n + 1);
  veldra_test::writeSceneLook(dir, 12, 40, steps);
  ASSERT_EQ(scene_set_char_npc_look(scene_find_char(kNpc | 1), 12), 0);
  EXPECT_EQ(of(kNpc | 1).look, 12);
  EXPECT_EQ(of(kNpc | 1).look_handle, mda_find_by_name("NPC\\NPC012a.MDA"));
  EXPECT_EQ(of(kNpc | 1).tracks[1].step_count, 2u);
  EXPECT_EQ(mda_find_by_name("NPC\\NPC003a.MDA"), shared);
  EXPECT_EQ(of(kNpc | 2).look_handle, shared);
  // Once nobody else wears look 3, B's change frees it.
  ASSERT_EQ(scene_set_char_npc_look(scene_find_char(kNpc | 2), 12), 0);
  EXPECT_EQ(mda_find_by_name("NPC\\NPC003a.MDA"), -2);
  EXPECT_EQ(of(kNpc | 2).look_handle, of(kNpc | 1).look_handle);
}

TEST_F(SceneLooks, ReloadFindsEachAgain) {
  addPlayer(1000, 1000);
  // X and Y stand far away without looks; then both walk within reach.
  ASSERT_GE(scene_add_char(record(kNpc | 1, "X", 9, 4000, 4000)), 0);
  ASSERT_GE(scene_add_char(record(kNpc | 2, "Y", 3, 4000, 4000)), 0);
  for (uint32_t id : {kNpc | 1, kNpc | 2}) {
    SCENE_CHAR& c = scene_chars[scene_find_char(id)];
    c.target_x = c.target_y = 1100;
  }
  // X's look is damaged by now: its box runs frames in which the link removes X.
  dir.write("NPC/NPC009a.MDA", std::string(64, 'x'));
  world->inbound.push_back({0x3001f, 1, {1, 0, 0, 0x80}});
  dismissNextBox();
  scene_reload_others();
  ASSERT_EQ(scene_find_char(kNpc | 1), -2) << "removed during the box";
  EXPECT_GE(of(kNpc | 2).look_handle, 0) << "Y, moved up into X's place, is examined too";
}

}  // namespace
}  // namespace scene_test

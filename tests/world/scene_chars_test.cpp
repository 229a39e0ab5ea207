// The scene's character table: adding with the id's kind and the look's refusals, the frame
// tracks over kind, look and posture, steps into blocked cells and across the 16-bit edge, and
// removals that keep the player, hovered and picked indexes on their characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "plat/crt.h"
#include "plat/tier0.h"
#include "tests/support/recording_scene_steps.h"
#include "tests/world/scene_fixture.h"
#include "world/scene/scene_ranks.h"
#include "world/scene/scene_services.h"

namespace scene_test {
namespace {

class SceneChars : public SceneTest {};

TEST_F(SceneChars, Records) {
  // The id's top bits give the kind; NPCs and pets keep direction mod 4 with C's sign.
  struct Case {
    uint32_t id;
    int8_t direction;
    int32_t kind;
    int8_t stored;
  } cases[] = {
      {7, 6, SCENE_KIND_PLAYER, 6},   {kNpc | 8, 6, SCENE_KIND_NPC, 2}, {kNpc | 9, -1, SCENE_KIND_NPC, -1},
      {kPet | 10, 5, SCENE_KIND_PET, 1}, {kNpc | 11, -6, SCENE_KIND_NPC, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    SCENE_CHAR_RECORD r = record(c.id, "Someone", 3, 100, 100);
    r.direction = static_cast<uint8_t>(c.direction);
    r.status = 0x21;
    const int32_t i = scene_add_char(r);
    ASSERT_GE(i, 0);
    EXPECT_EQ(scene_chars[i].kind, c.kind);
    EXPECT_EQ(scene_chars[i].direction, c.stored);
    EXPECT_EQ(scene_chars[i].server_value, 0x21u);
    EXPECT_EQ(scene_chars[i].owner_id, SCENE_NO_OWNER);
    EXPECT_EQ(scene_chars[i].time_stamp, scene_chars[i].created_time + SCENE_IDLE_DELAY_MS);
  }

  // A present id changes nothing.
  const int32_t count = scene_chars.count;
  EXPECT_EQ(scene_add_char(record(7, "Other", 4, 5, 5)), -2);
  EXPECT_EQ(scene_chars.count, count);
  EXPECT_STREQ(of(7).name, "Someone");

  // Texts that fill their fields: the name keeps 20 bytes, the title its 27, each with a NUL.
  SCENE_CHAR_RECORD full = record(12, "", 3, 0, 0);
  std::memset(full.name, 'n', sizeof full.name);
  std::memset(full.title, 't', sizeof full.title);
  ASSERT_GE(scene_add_char(full), 0);
  EXPECT_EQ(std::string(of(12).name), std::string(20, 'n'));
  EXPECT_EQ(std::string(of(12).title), std::string(27, 't'));

  // Look files that cannot serve: a box each, refused, nothing added.
  dir.write("NPC/NPC078a.MDA", std::string(64, 'x'));
  struct Refusal {
    uint32_t id;
    int32_t look;
    const char* text;
  } refusals[] = {
      {kNpc | 0x1000002A, 77, "Unable to launch NPC\\NPC077a.MDA file, name Ghost id 42"},
      {kNpc | 43, 78, "NPC\\NPC078a.MDA is not MDA file"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.text);
    dismissNextBox();
    EXPECT_EQ(scene_add_char(record(r.id, "Ghost", r.look, 1, 1)), -2);
    EXPECT_EQ(scene_find_char(r.id), -2);
    EXPECT_EQ(logLines(r.text).size(), 1u);
  }

  // "%03d" is a minimum width.
  for (const auto& [look, path] : std::vector<std::pair<int32_t, std::string>>{
           {5, "NPC\\NPC005a.MDA"}, {1234, "NPC\\NPC1234a.MDA"}, {-1, "NPC\\NPC-01a.MDA"}}) {
    char out[SCENE_LOOK_PATH_SIZE];
    scene_look_path(out, look);
    EXPECT_EQ(std::string(out), path);
  }
  EXPECT_STREQ(scene_rank_names[16], "Field Marshal");
  EXPECT_STREQ(scene_rank_names[17], "");
}

TEST_F(SceneChars, FrameTracks) {
  // Command n of looks 6 and 106 has n + 1 steps, so each track shows which command it took.
  std::vector<int> steps;
  for (int n = 0; n < 40; ++n) steps.push_back(n + 1);
  veldra_test::writeSceneLook(dir, 6, 40, steps);
  veldra_test::writeSceneLook(dir, 106, 40, steps);
  addPlayer();
  struct Case {
    const char* what;
    uint32_t id;
    int32_t look;
    int8_t class_byte, posture;
    uint32_t tracks[8];  // step counts = command + 1
  } cases[] = {
      {"player below 100", 20, 6, 0, 1, {9, 10, 11, 12, 13, 14, 15, 16}},
      {"mounted player", 21, 6, 2, 1, {13, 14, 15, 16, 13, 14, 15, 16}},
      {"player 100 and up, posture capped at 2", 22, 106, 0, 3, {9, 10, 11, 12, 9, 10, 11, 12}},
      {"NPC posture 3", kNpc | 23, 106, 0, 3, {13, 14, 15, 16, 13, 14, 15, 16}},
      {"pet posture 0", kPet | 24, 6, 5, 0, {1, 2, 3, 4, 1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SCENE_CHAR_RECORD r = record(c.id, "T", c.look, 1010, 1010);
    r.class_byte = static_cast<uint8_t>(c.class_byte);
    r.posture = static_cast<uint8_t>(c.posture);
    const int32_t i = scene_add_char(r);
    ASSERT_GE(i, 0);
    ASSERT_GE(scene_chars[i].look_handle, 0);
    for (int k = 0; k < SCENE_TRACKS; ++k) EXPECT_EQ(scene_chars[i].tracks[k].step_count, c.tracks[k]) << k;
  }

  // An NPC asked for posture 3 takes 2: from 2 nothing changes and the tracks keep their steps.
  const int32_t npc = scene_add_char(record(kNpc | 30, "N", 6, 1000, 1000));
  scene_set_char_posture(npc, 2);
  EXPECT_EQ(scene_chars[npc].tracks[0].step_count, 9u);
  scene_advance_frame(npc, 6);  // direction 6 is track 2 for an NPC
  EXPECT_EQ(scene_chars[npc].tracks[2].step, 1u);
  scene_set_char_posture(npc, 3);
  EXPECT_EQ(scene_chars[npc].posture, 2);
  EXPECT_EQ(scene_chars[npc].tracks[2].step, 1u);
  // Steps wrap at the track's count (11 for command 10).
  for (int s = 1; s < 11; ++s) scene_advance_frame(npc, 2);
  EXPECT_EQ(scene_chars[npc].tracks[2].step, 0u);
}

TEST_F(SceneChars, Steps) {
  blankMap(100, 100, 10, 10);
  map_record.cells[10 * 100 + 11] = 0x8000;  // cell (11, 10)
  const int32_t i = scene_add_char(record(40, "W", 3, 105, 105));
  struct Case {
    uint16_t x, y;
    int32_t direction, result;
    uint16_t to_x, to_y;
    int8_t stored;
  } cases[] = {
      {105, 105, 3, -2, 105, 105, 0},      // into the blocked cell: nothing moves
      {105, 105, 1, 0, 105, 112, 1},       // down
      {105, 105, 4, 0, 112, 98, 4},        // up and right
      {3, 3, 6, 0, 65532, 65532, 6},       // across the 16-bit edge, outside the map: taken
      {65533, 10, 3, 0, 4, 10, 3},         // and back in from the other side
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " dir " << c.direction);
    scene_chars[i].x = c.x;
    scene_chars[i].y = c.y;
    scene_chars[i].direction = 0;
    EXPECT_EQ(scene_step_char(i, c.direction), c.result);
    EXPECT_EQ(scene_chars[i].x, c.to_x);
    EXPECT_EQ(scene_chars[i].y, c.to_y);
    EXPECT_EQ(scene_chars[i].direction, c.stored);
  }
}

TEST_F(SceneChars, Removal) {
  // A B P C D, the player third; C hovered, B picked.
  const uint32_t ids[] = {50, 51, kPlayerId, 53, 54};
  scene_player_id = kPlayerId;
  for (uint32_t id : ids) ASSERT_GE(scene_add_char(record(id, "X", 3, 100, 100)), 0);
  struct Case {
    uint32_t removed;
    int32_t player, hover, picked;
  } cases[] = {
      {54, 2, 3, 1},        // after all three: nothing moves
      {50, 1, 2, 0},        // before all three: each moves up
      {51, 0, 1, -1},       // the picked one: none picked
      {kPlayerId, -1, 0, -1},  // the player: absent
  };
  scene_player_index = 2;
  scene_hover_index = 3;
  scene_picked_index = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.removed);
    const int32_t look = of(c.removed).look_handle;
    scene_remove_char(c.removed);
    EXPECT_EQ(scene_find_char(c.removed), -2);
    EXPECT_EQ(scene_player_index, c.player);
    EXPECT_EQ(scene_hover_index, c.hover);
    EXPECT_EQ(scene_picked_index, c.picked);
    if (MDA_ENTRY* e = entryOf(look)) {
      EXPECT_EQ(e->release_flag, SCENE_RELEASE_CHAR_LOOK);
    }
  }
  EXPECT_EQ(scene_chars[scene_hover_index].id, 53u);

  scene_clear_chars();
  EXPECT_EQ(scene_chars.count, 0);
  EXPECT_EQ(scene_player_index, -2);
  EXPECT_EQ(scene_hover_index, -1);
}

TEST_F(SceneChars, PetFollowers) {
  addPlayer(1000, 1000);
  ASSERT_GE(scene_add_char(record(60, "Owner", 3, 990, 1020)), 0);
  auto follow = [](uint32_t pet, uint32_t owner, const char* name) {
    PET_FOLLOW_RECORD b{};
    b.pet_id = pet;
    b.owner_id = owner;
    b.look = 7;
    b.byte_10 = 2;
    std::memcpy(b.name, name, std::min(std::strlen(name), sizeof b.name));
    b.byte_26 = 0xFF;
    scene_add_pet_follower(b);
  };
  follow(kPet | 61, 60, "Rex");
  follow(kPet | 62, 60, "ABCDEFGHIJKLMNOP");  // fills its 15 bytes
  follow(kPet | 63, 99, "Nobody");            // no such owner: nothing
  EXPECT_EQ(scene_find_char(kPet | 63), -2);
  const SCENE_CHAR& rex = of(kPet | 61);
  EXPECT_STREQ(rex.title, "Owner\xA1\xAFs pet");
  EXPECT_EQ(rex.x, 990);
  EXPECT_EQ(rex.target_y, 1020);
  EXPECT_EQ(rex.direction, 1);
  EXPECT_EQ(rex.mode, SCENE_MOVE_FOLLOW);
  EXPECT_EQ(rex.icon, -1);
  EXPECT_EQ(rex.owner_id, 60u);
  EXPECT_EQ(rex.follower_ordinal, 0);
  EXPECT_EQ(of(kPet | 62).follower_ordinal, 1);
  EXPECT_STREQ(of(kPet | 62).name, "ABCDEFGHIJKLMNO");

  // Orphans go one a frame once their owner has left.
  scene_remove_char(60);
  scene_update_chars();
  EXPECT_EQ(scene_find_char(kPet | 61), -2);
  EXPECT_GE(scene_find_char(kPet | 62), 0);
  scene_update_chars();
  EXPECT_EQ(scene_find_char(kPet | 62), -2);
  EXPECT_GE(scene_find_char(kPlayerId), 0);
}

TEST_F(SceneChars, ClickAndName) {
  addPlayer();
  ASSERT_GE(scene_add_char(record(70, "Pal", 3, 1000, 1000)), 0);
  ASSERT_GE(scene_add_char(record(kNpc | 71, "Smith", 3, 1000, 1000)), 0);
  ASSERT_GE(scene_add_char(record(kPet | 72, "Rex", 3, 1000, 1000)), 0);
  for (uint32_t id : {70u, kNpc | 71, kPet | 72, 99u}) scene_click_char(id);
  ASSERT_EQ(world->sends.size(), 2u);
  EXPECT_EQ(world->sends[0].id, 0xc000fu);
  EXPECT_EQ(world->sends[0].arg, 70);
  EXPECT_TRUE(world->sends[0].payload.empty());
  EXPECT_EQ(world->sends[1].id, 0x40002u);
  EXPECT_EQ(static_cast<uint32_t>(world->sends[1].arg), kNpc | 71);
  EXPECT_EQ(world->sends[1].payload, (std::vector<uint8_t>{1, 0, 0, 0}));

  // A name without its NUL is read no further than the field, cut on a character.
  const char unterminated[SCENE_CHAR_NAME_SIZE + 4] = "abcdefghijklmnopqrs\xD6\xD0zzz";
  scene_set_char_name(70, unterminated);
  EXPECT_STREQ(of(70).name, "abcdefghijklmnopqrs");
}

TEST_F(SceneChars, Update) {
  // Each movement mode runs its step; other modes none.
  addPlayer();
  const int8_t modes[] = {0, 1, 2, 3, 5};
  for (int i = 0; i < 5; ++i) {
    SCENE_CHAR_RECORD r = record(kNpc | static_cast<uint32_t>(80 + i), "M", 3, 1000, 1000);
    r.mode = static_cast<uint8_t>(modes[i]);
    r.target_x = 1050;
    ASSERT_GE(scene_add_char(r), 0);
  }
  scene_chars[scene_find_char(kNpc | 83)].owner_id = kPlayerId;  // a follower with its owner here
  {
    veldra_test::RecordingSceneSteps steps;
    seam_calls_clear();
    scene_update_chars();
    std::vector<std::string> names;
    std::vector<int64_t> indexes;
    for (const SEAM_CALL& c : seam_calls()) {
      names.push_back(c.name);
      indexes.push_back(c.a);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"scene_wander_step", "scene_wander_step", "scene_walk_toward_target",
                                               "scene_wander_step", "scene_follow_owner_step"}));
    EXPECT_EQ(indexes, (std::vector<int64_t>{0, 1, 2, 3, 4}));  // the player (mode 0) first
  }
  // No map is loaded, so no walk grid: the walk step ends the walk where the character stands.
  EXPECT_EQ(of(kNpc | 81).x, 1000);
  EXPECT_EQ(of(kNpc | 81).target_x, 1000) << "the walk ended";
  EXPECT_EQ(of(kNpc | 80).x, 1000);

  // A one-shot action at its track's last step ends: standing, next idle 15 to 24 s ahead.
  SCENE_CHAR& actor = scene_chars[scene_find_char(kNpc | 80)];
  actor.posture = 1;
  actor.direction = 1;
  actor.tracks[1] = {3, 1};
  scene_update_chars();
  EXPECT_EQ(of(kNpc | 80).posture, 1) << "not at the last step yet";
  scene_chars[scene_find_char(kNpc | 80)].tracks[1].step = 2;
  plat::crt_srand(7);
  const int expected = plat::crt_rand() % 10 + 15;
  plat::crt_srand(7);
  scene_update_chars();
  EXPECT_EQ(of(kNpc | 80).posture, 0);
  EXPECT_EQ(of(kNpc | 80).time_stamp, plat::tier0::msTime() + static_cast<uint32_t>(expected) * 1000);
  EXPECT_EQ(of(kNpc | 84).posture, 0) << "mode 5 runs no step and keeps its posture";
}

}  // namespace
}  // namespace scene_test

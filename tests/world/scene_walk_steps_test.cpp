// Server-driven walking and idle wandering of scene characters on a loaded walk grid.
#include <gtest/gtest.h>

#include "client/game/frame_input.h"
#include "plat/crt.h"
#include "plat/tier0.h"
#include "tests/world/scene_fixture.h"
#include "world/map/walk_grid.h"
#include "world/scene/scene_walk_steps.h"
#include "world/scene/walk_direction.h"

namespace {

using scene_test::kNpc;
using scene_test::kPet;
using scene_test::kPlayerId;

class MovementSteps : public scene_test::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    frame_input.frame_time = 50;
  }
  void TearDown() override {
    walk_grid_free(&scene_walk_grid);
    SceneTest::TearDown();
  }
  // The grid from the map's cells as they are now.
  static void makeGrid() {
    walk_grid_free(&scene_walk_grid);
    ASSERT_EQ(walk_grid_create(&scene_walk_grid, map_record.cells_across, map_record.cells_down,
                               map_record.display.cell_width, map_record.display.cell_height,
                               map_record.cells.data()),
              0);
  }
  static SCENE_CHAR& at(int32_t index) { return scene_chars[index]; }
};

TEST_F(MovementSteps, ServerWalk) {
  struct Case {
    const char* name;
    uint32_t flags;
    bool blocked_start;
    bool no_look;
    int32_t target_dx;
    int32_t result;
    int32_t moved;  // pixels to the right afterwards; -1: on the target
  } cases[] = {
      {"walks one step", 0, false, false, 100, 1, -2},
      {"party member 401 pixels away jumps", SCENE_FLAG_PARTY_MEMBER, false, false, 401, 1, -1},
      {"party member 400 pixels away walks", SCENE_FLAG_PARTY_MEMBER, false, false, 400, 1, -2},
      {"other character 401 pixels away walks", 0, false, false, 401, 1, -2},
      {"start on a wall ends the walk", 0, true, false, 100, -2, 0},
      {"without a look it jumps", 0, false, true, 100, 0, -1},
  };
  for (const Case& c : cases) {
    scene_clear_chars();
    blankMap(100, 100, 20, 20);
    if (c.blocked_start) map_record.cells[50 * 100 + 50] = 0x8000;
    makeGrid();
    const int32_t i = addPlayer(1010, 1010);
    ASSERT_GE(i, 0);
    at(i).mode = SCENE_MOVE_WALK;
    at(i).flags = c.flags;
    at(i).direction = SCENE_DIR_UP;
    at(i).target_x = static_cast<uint16_t>(1010 + c.target_dx);
    if (c.no_look) at(i).look_handle = -1;
    const uint32_t now = plat::tier0::msTime();
    const int32_t step = walk_step_length();
    EXPECT_EQ(scene_walk_toward_target(i), c.result) << c.name;
    const SCENE_CHAR& s = at(i);
    if (c.moved == -1) {
      EXPECT_EQ(s.x, 1010 + c.target_dx) << c.name;
    } else if (c.moved == -2) {
      EXPECT_EQ(s.x, 1010 + step + 1) << c.name;
      EXPECT_EQ(s.y, 1010) << c.name;
      EXPECT_EQ(s.posture, 2) << c.name;
      EXPECT_EQ(s.direction, SCENE_DIR_UP) << c.name << ": a step inside one cell keeps the direction";
      EXPECT_EQ(s.moved_time, now + 31) << c.name;
    } else {
      EXPECT_EQ(s.x, 1010) << c.name;
      EXPECT_EQ(s.target_x, 1010) << c.name;
      EXPECT_EQ(s.posture, 0) << c.name;
      EXPECT_EQ(s.time_stamp, now + 15000) << c.name;
    }
  }
}

// A step longer than a cell turns the walker towards its new position; running when the walking
// state is set.
TEST_F(MovementSteps, LongStepTurnsAndRuns) {
  makeGrid();
  const int32_t i = addPlayer(1010, 1010);
  at(i).mode = SCENE_MOVE_WALK;
  at(i).walking = 1;
  at(i).direction = SCENE_DIR_UP;
  at(i).target_x = 910;
  at(i).target_y = 1010;
  frame_input.frame_time = 200;  // 28 pixels, more than a cell
  EXPECT_EQ(scene_walk_toward_target(i), 1);
  EXPECT_EQ(at(i).x, 1010 - 29);
  EXPECT_EQ(at(i).direction, SCENE_DIR_LEFT);
  EXPECT_EQ(at(i).posture, 3);
}

// An NPC in the wander area walks and pauses by the scripted dice and never leaves the area; one
// outside the area never moves.
TEST_F(MovementSteps, WanderStaysInItsArea) {
  blankMap(100, 100, 20, 20);
  for (int32_t y = 48; y <= 52; ++y) {
    for (int32_t x = 48; x <= 52; ++x) map_record.cells[static_cast<size_t>(y) * 100 + x] = 0x2000;
  }
  makeGrid();
  addPlayer(1005, 1005);
  const int32_t inside = scene_add_char(record(kNpc | 1, "In", 3, 1005, 1005));
  const int32_t outside = scene_add_char(record(kNpc | 2, "Out", 3, 1505, 1505));
  ASSERT_GE(inside, 0);
  ASSERT_GE(outside, 0);
  plat::crt_srand(11);
  bool moved = false;
  for (int frame = 0; frame < 3000; ++frame) {
    hp().fakeClock().advance(31);
    for (int32_t i : {inside, outside}) scene_wander_step(i);
    const SCENE_CHAR& n = scene_chars[inside];
    ASSERT_GE(n.x, 48 * 20) << frame;
    ASSERT_LT(n.x, 53 * 20) << frame;
    ASSERT_GE(n.y, 48 * 20) << frame;
    ASSERT_LT(n.y, 53 * 20) << frame;
    moved = moved || n.x != 1005 || n.y != 1005;
    ASSERT_EQ(scene_chars[outside].x, 1505);
    ASSERT_EQ(scene_chars[outside].y, 1505);
  }
  EXPECT_TRUE(moved);
  EXPECT_EQ(scene_wander_step(0), 0) << "players do not wander";
}

}  // namespace

namespace {

// A pet trails its owner at (ordinal + 2) x 25 pixels behind the owner's direction, appears there
// at once from 600 pixels away, and stands when it is close enough.
TEST_F(MovementSteps, FollowOwner) {
  struct Case {
    const char* name;
    int32_t pet_x, pet_y;
    int32_t expect_x, expect_y;  // -1: walked towards the follow point
    int32_t result;
  } cases[] = {
      {"600 pixels away snaps to the follow point", 1010, 1610, 1010, 1060, 0},
      {"599 pixels away walks", 1010, 1609, -1, -1, 1},
      {"inside the box stands", 1030, 1070, 1030, 1070, 0},
  };
  for (const Case& c : cases) {
    scene_clear_chars();
    blankMap(100, 100, 20, 20);
    makeGrid();
    const int32_t owner = addPlayer(1010, 1010);
    at(owner).direction = 0;  // down in the free-point numbering: the follow point is below
    const int32_t pet = scene_add_char(record(kPet | 7, "Pet", 3, static_cast<uint16_t>(c.pet_x),
                                              static_cast<uint16_t>(c.pet_y)));
    ASSERT_GE(pet, 0) << c.name;
    at(pet).mode = SCENE_MOVE_FOLLOW;
    at(pet).owner_id = kPlayerId;
    at(pet).follower_ordinal = 0;
    at(pet).moved_time = 0;
    at(pet).counter_2 = 0;
    at(pet).look_handle = at(owner).look_handle;  // a drawn look whatever the distance
    EXPECT_EQ(scene_follow_owner_step(pet), c.result) << c.name;
    if (c.expect_x >= 0) {
      EXPECT_EQ(at(pet).x, c.expect_x) << c.name;
      EXPECT_EQ(at(pet).y, c.expect_y) << c.name;
    } else {
      EXPECT_LT(at(pet).y, c.pet_y) << c.name;
      EXPECT_EQ(at(pet).target_y, 1060) << c.name;
    }
  }
  scene_remove_char(kPlayerId);
  EXPECT_EQ(scene_follow_owner_step(0), -2) << "owner gone";
}

}  // namespace

// The movement steps of scene characters: server-driven walking, idle wandering and following an
// owner.
#include "world/scene/scene_walk_steps.h"

#include <cstdlib>

#include "core/reset/module_resets.h"
#include "plat/crt.h"
#include "plat/tier0.h"
#include "world/map/map_cells.h"
#include "world/map/walk_grid.h"
#include "world/map/walk_search.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_free_point.h"
#include "world/scene/walk_direction.h"

namespace {

SceneStepObserver g_observer = nullptr;

constexpr uint32_t kWalkGateMs = 31, kWanderGateMs = 100;
constexpr int32_t kJumpAcross = 400, kJumpDown = 300;
constexpr uint32_t kRetargetMs = 250;
constexpr int64_t kSnapDistance = 600;
constexpr int32_t kFollowSpacing = 25, kFollowBoxAcross = 33, kFollowBoxDown = 17;

// The wander state kept in the character's counter.
enum WANDER_STATE : int32_t { WANDER_IDLE = 0, WANDER_WALKING = 1, WANDER_PAUSING = 2 };

// The wander turn for rand() % 20 (values 8..19 keep the direction).
constexpr int8_t kWanderTurn[8] = {SCENE_DIR_UP_RIGHT, SCENE_DIR_DOWN_LEFT, SCENE_DIR_UP_LEFT, SCENE_DIR_DOWN_RIGHT,
                                   SCENE_DIR_RIGHT,    SCENE_DIR_LEFT,      SCENE_DIR_UP,      SCENE_DIR_DOWN};

int32_t seen(const char* op, int32_t index, int32_t result) {
  if (g_observer) g_observer(op, index, result);
  return result;
}

void stop_moving(int32_t index) {
  const int8_t posture = scene_chars[index].posture;
  if (posture == 2 || posture == 3) scene_set_char_posture(index, 0);
}

bool in_wander_area(int32_t x, int32_t y) {
  const WALK_GRID& g = scene_walk_grid;
  if (g.cell_width <= 0 || g.cell_height <= 0) return false;
  return map_cell_test_2000(x / g.cell_width, y / g.cell_height) == 0;
}

uint32_t rand_seconds(uint32_t spread) { return (static_cast<uint32_t>(plat::crt_rand()) % spread + 1) * 1000; }

int32_t walk_step(int32_t index) {
  SCENE_CHAR& c = scene_chars[index];
  if (c.look_handle < 0) {
    c.x = c.target_x;
    c.y = c.target_y;
    stop_moving(index);
    return 0;
  }
  if (c.x == c.target_x && c.y == c.target_y) {
    stop_moving(index);
    return 0;
  }
  const uint32_t now = plat::tier0::msTime();
  int32_t tx = c.target_x, ty = c.target_y;
  walk_find_free_cell(&tx, &ty, &scene_walk_grid);
  c.target_x = static_cast<uint16_t>(tx);
  c.target_y = static_cast<uint16_t>(ty);
  const int32_t step = walk_step_length();
  int32_t nx = tx, ny = ty, fx = 0, fy = 0;
  const int32_t r = walk_server_step(c.x, c.y, &nx, &ny, &fx, &fy, step, &scene_walk_grid);
  if ((c.flags & SCENE_FLAG_PARTY_MEMBER) &&
      (std::abs(tx - int32_t{c.x}) > kJumpAcross || std::abs(ty - int32_t{c.y}) > kJumpDown)) {
    c.x = c.target_x;
    c.y = c.target_y;
    return r;
  }
  if (r == 1 || r == 2) {
    const bool near = std::abs(nx - int32_t{c.x}) <= scene_walk_grid.cell_width &&
                      std::abs(ny - int32_t{c.y}) <= scene_walk_grid.cell_height;
    if (!near) {
      const int32_t d = walk_direction(c.x, c.y, nx, ny, step);
      if (d >= 0) c.direction = static_cast<int8_t>(d);
    }
    c.x = static_cast<uint16_t>(nx);
    c.y = static_cast<uint16_t>(ny);
    scene_set_char_posture(index, c.walking ? 3 : 2);
    scene_advance_frame(index, scene_chars[index].direction);
  } else {
    scene_set_char_posture(index, 0);
    SCENE_CHAR& s = scene_chars[index];
    s.time_stamp = now + SCENE_IDLE_DELAY_MS;
    s.target_x = s.x;
    s.target_y = s.y;
  }
  scene_chars[index].moved_time = now + kWalkGateMs;
  return r;
}

int32_t wander_step(int32_t index) {
  SCENE_CHAR& c = scene_chars[index];
  if (c.kind == SCENE_KIND_PLAYER) return 0;
  const uint32_t now = plat::tier0::msTime();
  if (static_cast<int32_t>(now - c.moved_time) < 0) return -2;
  c.moved_time = now + kWanderGateMs;
  if (!in_wander_area(c.x, c.y)) return 0;
  if (c.counter == WANDER_IDLE || c.counter == WANDER_PAUSING) {
    if (static_cast<int32_t>(now - c.time_stamp) < 0) return -2;
    c.time_stamp = now + rand_seconds(5);
    if (plat::crt_rand() % 2 == 0) {
      c.counter = WANDER_WALKING;
      scene_set_char_posture(index, 2);
      scene_chars[index].time_stamp = now + rand_seconds(10);
    } else {
      c.counter = c.counter == WANDER_IDLE ? WANDER_PAUSING : WANDER_IDLE;
      scene_set_char_posture(index, 0);
      scene_chars[index].time_stamp = now + rand_seconds(5);
    }
    return -2;
  }
  if (static_cast<int32_t>(now - c.time_stamp) > 0) {
    c.counter = WANDER_IDLE;
    scene_set_char_posture(index, 0);
    scene_chars[index].time_stamp = now + rand_seconds(5);
    return -2;
  }
  scene_advance_frame(index, c.direction);
  SCENE_CHAR& w = scene_chars[index];
  const uint16_t old_x = w.x, old_y = w.y;
  const int8_t old_dir = w.direction;
  if (scene_step_char(index, w.direction) == 0 && !in_wander_area(scene_chars[index].x, scene_chars[index].y)) {
    SCENE_CHAR& back = scene_chars[index];
    back.x = old_x;
    back.y = old_y;
    back.direction = old_dir;  // and turn below: facing out of the area it would stay stuck
  }
  const uint32_t turn = static_cast<uint32_t>(plat::crt_rand()) % 20;
  if (turn < 8) scene_chars[index].direction = kWanderTurn[turn];
  return -2;
}

int32_t follow_step(int32_t index) {
  SCENE_CHAR& c = scene_chars[index];
  const uint32_t now = plat::tier0::msTime();
  if (static_cast<int32_t>(now - c.moved_time) < 0) return 0;
  if (c.look_handle < 0) {
    c.x = c.target_x;
    c.y = c.target_y;
    stop_moving(index);
    return 0;
  }
  const int32_t owner = scene_find_char(c.owner_id);
  if (owner < 0) return -2;
  const SCENE_CHAR& o = scene_chars[owner];
  int32_t px = 0, py = 0;
  scene_find_free_point_dir(o.x, o.y, (c.follower_ordinal + 2) * kFollowSpacing, o.direction, &px, &py);
  const int64_t ox = int64_t{o.x} - c.x, oy = int64_t{o.y} - c.y;
  if (ox * ox + oy * oy >= kSnapDistance * kSnapDistance) {
    c.x = c.target_x = static_cast<uint16_t>(px);
    c.y = c.target_y = static_cast<uint16_t>(py);
    return 0;
  }
  if (static_cast<int32_t>(now - static_cast<uint32_t>(c.counter_2)) < 0) return walk_step(index);
  c.counter_2 = static_cast<int32_t>(now + kRetargetMs);
  c.target_x = static_cast<uint16_t>(px);
  c.target_y = static_cast<uint16_t>(py);
  if (std::abs(px - int32_t{c.x}) < kFollowBoxAcross && std::abs(py - int32_t{c.y}) < kFollowBoxDown) {
    stop_moving(index);
    return 0;
  }
  return walk_step(index);
}

}  // namespace

void scene_set_step_observer(SceneStepObserver observer) { g_observer = observer; }

int32_t scene_walk_toward_target(int32_t index) {
  if (index < 0 || index >= scene_chars.count) return seen("scene_walk_toward_target", index, 0);
  return seen("scene_walk_toward_target", index, walk_step(index));
}

int32_t scene_wander_step(int32_t index) {
  if (index < 0 || index >= scene_chars.count) return seen("scene_wander_step", index, 0);
  return seen("scene_wander_step", index, wander_step(index));
}

int32_t scene_follow_owner_step(int32_t index) {
  if (index < 0 || index >= scene_chars.count) return seen("scene_follow_owner_step", index, -2);
  return seen("scene_follow_owner_step", index, follow_step(index));
}

static const ModuleReset k_reset("scene step observer", [] { g_observer = nullptr; });

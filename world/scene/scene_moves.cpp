// Moving scene characters: the server's walk targets, one 7-pixel step, and the click on a
// character.
#include <cstdint>

#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "core/reset/module_resets.h"
#include "plat/tier0.h"
#include "world/map/map_cells.h"
#include "world/map/map_data.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_frame.h"

namespace {

constexpr uint32_t kPlayerRefreshMs = 2000;
constexpr int32_t kStep = 7;
constexpr int32_t kStepX[8] = {0, 0, -kStep, kStep, kStep, -kStep, -kStep, kStep};
constexpr int32_t kStepY[8] = {-kStep, kStep, 0, 0, -kStep, kStep, -kStep, kStep};
constexpr uint32_t kClickPlayer = 0xc000f;

// The player's look and the other characters are re-examined at most this often.
struct PlayerRefresh {
  bool armed;
  uint32_t deadline;
};
PlayerRefresh g_refresh{};

}  // namespace

void scene_update_char_position(const SCENE_POSITION_RECORD& r) {
  int32_t i = scene_find_char(r.id);
  if (i < 0) return;
  SCENE_CHAR& c = scene_chars[i];
  c.target_x = r.target_x;
  c.target_y = r.target_y;
  c.walking = r.walking;
  if (i == scene_player_slot()) {
    const uint32_t now = plat::tier0::msTime();
    if (!g_refresh.armed) {
      g_refresh = {true, now + kPlayerRefreshMs};
    } else if (static_cast<int32_t>(now - g_refresh.deadline) >= 0) {
      g_refresh.deadline = now + kPlayerRefreshMs;
      scene_load_char_display(i);
      scene_reload_others();
    }
  } else {
    scene_load_char_display(i);
  }
  i = scene_find_char(r.id);
  if (i < 0) return;
  SCENE_CHAR& moved = scene_chars[i];
  if (moved.look_handle >= 0) return;
  // Far away: nothing shows the walk, the character is simply there.
  moved.x = moved.target_x;
  moved.y = moved.target_y;
  if (moved.posture == 2 || moved.posture == 3) {
    moved.posture = 0;
    scene_build_frame_tracks(i);
  }
}

int32_t scene_step_char(int32_t index, int32_t direction) {
  if (index < 0 || index >= scene_chars.count || direction < 0 || direction >= 8) return -2;
  SCENE_CHAR& c = scene_chars[index];
  const uint16_t x = static_cast<uint16_t>(c.x + kStepX[direction]);
  const uint16_t y = static_cast<uint16_t>(c.y + kStepY[direction]);
  const int32_t cw = map_record.display.cell_width, ch = map_record.display.cell_height;
  if (cw > 0 && ch > 0 && map_cell_is_blocked(x / cw, y / ch) == 0) return -2;
  c.direction = static_cast<int8_t>(direction);
  c.x = x;
  c.y = y;
  return 0;
}

void scene_click_char(uint32_t id) {
  const int32_t i = scene_find_char(id);
  if (i < 0) return;
  switch (scene_chars[i].kind) {
    case SCENE_KIND_PLAYER: net_send_world(kClickPlayer, static_cast<int32_t>(id), nullptr, 0); break;
    case SCENE_KIND_NPC: req_object_interact(scene_player_id, id, 1); break;
    default: break;
  }
}

static const ModuleReset k_reset("scene player refresh", [] { g_refresh = {}; });

// The scene's per-frame update of its characters.
#include "plat/crt.h"
#include "plat/tier0.h"
#include "world/scene/ambient_sounds.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_walk_steps.h"

namespace {

constexpr uint32_t kIdleBaseMs = 15, kIdleSpreadMs = 10;

int32_t run_step(int32_t index) {
  switch (scene_chars[index].mode) {
    case SCENE_MOVE_WANDER:
    case SCENE_MOVE_WANDER_2: return scene_wander_step(index);
    case SCENE_MOVE_WALK: return scene_walk_toward_target(index);
    case SCENE_MOVE_FOLLOW: return scene_follow_owner_step(index);
    default: return 1;  // no step for other modes
  }
}

// A one-shot action that has shown its last step returns the character to standing.
void end_action(int32_t index) {
  SCENE_CHAR& c = scene_chars[index];
  if (c.posture != 1) return;
  const int32_t track = c.kind == SCENE_KIND_PLAYER ? c.direction : c.direction % 4;
  if (track < 0 || track >= SCENE_TRACKS) return;
  const SCENE_FRAME_TRACK& t = c.tracks[track];
  if (t.step_count != 0 && t.step + 1 < t.step_count) return;  // a look without steps ends at once
  c.time_stamp = plat::tier0::msTime() + (static_cast<uint32_t>(plat::crt_rand()) % kIdleSpreadMs + kIdleBaseMs) * 1000;
  c.posture = 0;
  scene_build_frame_tracks(index);
}

// The first follower whose owner has left goes, one a frame.
void drop_one_orphan() {
  for (int32_t i = 0; i < scene_chars.count; ++i) {
    const SCENE_CHAR& c = scene_chars[i];
    if (c.mode != SCENE_MOVE_FOLLOW || scene_find_char(c.owner_id) >= 0) continue;
    scene_remove_char(c.id);
    return;
  }
}

}  // namespace

void scene_update_chars() {
  for (int32_t i = 0; i < scene_chars.count; ++i) {
    const uint32_t id = scene_chars[i].id;
    const int32_t result = run_step(i);
    if (i >= scene_chars.count || scene_chars[i].id != id) continue;  // the step changed the table
    if (result == 0 || result == -1 || result == -2) end_action(i);
  }
  ambient_sounds_update();
  drop_one_orphan();
}

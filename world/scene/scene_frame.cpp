// Until the map scene is built: the deadline moves, the rest is recorded.
#include "world/scene/scene_frame.h"

#include "client/common/seam_calls.h"
#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"

void scene_draw_chat_bubbles(BITMAP16* /*target*/) { seam_call("scene_draw_chat_bubbles"); }
void scene_walk_send_next_waypoint() { seam_call("scene_walk_send_next_waypoint"); }
void scene_update_zoom() { seam_call("scene_update_zoom"); }
void scene_send_leave_requests() { seam_call("scene_send_leave_requests"); }

void scene_reload_others() {
  seam_call("scene_reload_others");
  scene_refresh_deadline = frame_input.frame_time + SCENE_REFRESH_NEXT_MS;
}


// Until the map scene is built: these record their calls.
#include "world/scene/scene_frame.h"

#include "client/common/seam_calls.h"

void scene_walk_send_next_waypoint() { seam_call("scene_walk_send_next_waypoint"); }
void scene_update_zoom() { seam_call("scene_update_zoom"); }
void scene_send_leave_requests() { seam_call("scene_send_leave_requests"); }

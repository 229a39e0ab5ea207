// The map scene's per-frame work and the requests of the game main task.
#pragma once

struct BITMAP16;

// Draws every speech bubble and keeps them: speakers followed, overlaps pushed apart, expired
// ones dropped. The call is recorded too (the game main task's order is checked by it).
void scene_draw_chat_bubbles(BITMAP16* target);
// Sends the next waypoint of the player's walk when one is due.
void scene_walk_send_next_waypoint();
// Keeps the zoom level (0 to 14) that the frame step maps the mouse through.
void scene_update_zoom();
// Sent when the game main task starts (not while replaying).
void scene_send_leave_requests();
// Reloads the looks of the other characters and moves the scene refresh deadline 10 s on.
void scene_reload_others();

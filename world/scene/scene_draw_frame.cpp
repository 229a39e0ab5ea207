// The scene's frame until the full scene drawing is built: the characters updated, the view
// placed around the player, the map's pages, and each character's look and name.
#include <algorithm>
#include <cstdio>

#include "client/common/seam_calls.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/scene_view_origin.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "world/map/map_data.h"
#include "world/map/map_pages.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr uint32_t kBackgroundRgb = 0x101828;
constexpr int32_t kHalfViewX = 400, kHalfViewY = 300;
constexpr int32_t kNameOffsetX = -20, kNameOffsetY = 8;

// The view's left or top for a player at p on a map of that extent.
int32_t view_edge(int32_t p, int32_t half, int32_t extent) {
  int32_t edge = p - half;
  if (p + half >= extent) edge = extent - 2 * half;
  return std::max(edge, 0);
}

}  // namespace

void scene_draw_frame(BITMAP16* target) {
  seam_call("scene_draw_frame");
  scene_update_chars();
  const int32_t player = scene_player_slot();
  if (player >= 0) {
    scene_view_origin.x = view_edge(scene_chars[player].x, kHalfViewX, map_record.display.map_width);
    scene_view_origin.y = view_edge(scene_chars[player].y, kHalfViewY, map_record.map_height);
  }
  if (!target) return;
  const int32_t vx = scene_view_origin.x, vy = scene_view_origin.y;
  bitmap16_fill(target, pixel_ops.pack_rgb ? pixel_ops.pack_rgb(kBackgroundRgb) : 0);
  map_draw_view(target, vx, vy);
  for (int32_t i = 0; i < scene_chars.count; ++i) {
    const SCENE_CHAR& c = scene_chars[i];
    if (c.look_handle < 0) continue;
    const int32_t track = c.kind == SCENE_KIND_PLAYER ? c.direction : c.direction % 4;
    const int32_t command = scene_track_command(c, track);
    if (command < 0 || track < 0) continue;
    char name[24];
    std::snprintf(name, sizeof name, "MainCommand%d", command);
    const int32_t sx = c.x - vx, sy = c.y - vy;
    mda_run_command(c.look_handle, name, sx, sy, target, MDA_EXPLICIT_STEP, 0, 0,
                    static_cast<int32_t>(c.tracks[track].step));
    if (i >= scene_chars.count) break;  // a frame's command may have changed the table
    font_draw_text(sx + kNameOffsetX, sy + kNameOffsetY, scene_chars[i].name, 1, target);
    scene_advance_frame(i, track);
  }
}

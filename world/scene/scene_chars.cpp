#include "world/scene/scene_chars.h"

#include <string_view>
#include <unordered_map>

#include "client/common/seam_calls.h"
#include "client/common/text_field.h"
#include "client/game/frame_input.h"
#include "client/state/map_record.h"
#include "core/reset/module_resets.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"

int32_t scene_zoom_level = 0;
int32_t scene_in_scene = 0;
uint32_t scene_player_id = 0;
int32_t scene_map_hold = 0;
int32_t scene_draw_hold = 0;
std::vector<SCENE_CHAR> scene_chars;

namespace {

constexpr uint32_t kSceneStandInRgb = 0x101828;

// id -> index, so that a burst of position messages does not walk the table per record.
std::unordered_map<uint32_t, int32_t> g_index;

void reindex() {
  g_index.clear();
  for (size_t i = 0; i < scene_chars.size(); ++i) g_index[scene_chars[i].id] = static_cast<int32_t>(i);
}

void scene_reset() {
  scene_zoom_level = scene_in_scene = 0;
  scene_player_id = 0;
  scene_map_hold = scene_draw_hold = 0;
  scene_chars.clear();
  g_index.clear();
}

}  // namespace

int32_t scene_find_char(uint32_t id) {
  const auto it = g_index.find(id);
  return it == g_index.end() ? -2 : it->second;
}

int32_t scene_add_char(const SCENE_CHAR_RECORD& r) {
  if (scene_find_char(r.id) != -2) return -2;
  SCENE_CHAR c{};
  c.id = r.id;
  // A text that fills its field is cut on a character boundary.
  text_field_set(c.name, std::string_view(r.name, sizeof r.name));
  text_field_set(c.title, std::string_view(r.title, sizeof r.title));
  c.x = r.x;
  c.y = r.y;
  c.target_x = r.target_x;
  c.target_y = r.target_y;
  c.walking = r.walking;
  c.time_stamp = frame_input.frame_time + SCENE_IDLE_DELAY_MS;
  c.posture = static_cast<int8_t>(r.posture);
  c.flags = r.status;
  scene_chars.push_back(c);
  const int32_t index = static_cast<int32_t>(scene_chars.size() - 1);
  g_index[r.id] = index;
  return index;
}

void scene_remove_char(uint32_t id) {
  const int32_t i = scene_find_char(id);
  if (i < 0) return;
  scene_chars.erase(scene_chars.begin() + i);
  reindex();
}

void scene_clear_chars() {
  scene_chars.clear();
  g_index.clear();
}

void scene_update_char_position(const SCENE_POSITION_RECORD& r) {
  const int32_t i = scene_find_char(r.id);
  if (i < 0) return;
  SCENE_CHAR& c = scene_chars[static_cast<size_t>(i)];
  c.target_x = r.target_x;
  c.target_y = r.target_y;
  c.walking = r.walking;
}

void scene_set_char_posture(int32_t index, int8_t posture) {
  if (index < 0 || static_cast<size_t>(index) >= scene_chars.size()) return;
  scene_chars[static_cast<size_t>(index)].posture = posture;
}

void scene_load_char_display(int32_t index) { seam_call("scene_load_char_display", index); }



void scene_draw_frame(BITMAP16* target) {
  seam_call("scene_draw_frame");
  if (!target) return;
  // Until the scene draws: a dark screen naming the map and the own character, so that the game
  // screen is recognisable.
  bitmap16_fill(target, pixel_ops.pack_rgb ? pixel_ops.pack_rgb(kSceneStandInRgb) : 0);
  font_draw_text(40, 40, map_state.display_name, 1, target);
  font_draw_text(40, 70, map_state_char_name().c_str(), 1, target);
}

static const ModuleReset k_reset("scene characters", scene_reset);

#include "world/scene/scene_chars.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "client/common/text_field.h"
#include "client/ui/message_box.h"
#include "core/pak/pak.h"
#include "core/reset/module_resets.h"
#include "graphics/frame_cmd/map_effects.h"
#include "graphics/mda/mda.h"
#include "plat/tier0.h"
#include "world/scene/scene_services.h"

int32_t scene_zoom_level = 0;
int32_t scene_in_scene = 0;
uint32_t scene_player_id = 0;
int32_t scene_map_hold = 0;
int32_t scene_draw_hold = 0;
GrowArray<SCENE_CHAR> scene_chars;
int32_t scene_player_index = -2;
int32_t scene_hover_index = -1;
int32_t scene_picked_index = -1;

namespace {

// Where each id was last found, so that a burst of position messages does not walk the table
// for every record.
std::unordered_map<uint32_t, int32_t> g_index;

void scene_reset() {
  g_index.clear();
  scene_zoom_level = scene_in_scene = 0;
  scene_player_id = 0;
  scene_map_hold = scene_draw_hold = 0;
  scene_chars.free();
  scene_player_index = -2;
  scene_hover_index = scene_picked_index = -1;
}

int32_t kind_of(uint32_t id) {
  if (!(id & SCENE_ID_NPC_BIT)) return SCENE_KIND_PLAYER;
  return (id & SCENE_ID_PET_BIT) ? SCENE_KIND_PET : SCENE_KIND_NPC;
}

// Refuses a look file that cannot be opened or is not a media file, after its box.
bool look_file_usable(const char* path, const SCENE_CHAR_RECORD& r) {
  char text[512];
  if (PAK_FILE* f = pak_fopen(path, "rb")) {
    pak_fclose(f);
  } else {
    char name[SCENE_CHAR_NAME_SIZE];
    text_field_set(name, std::string_view(r.name, sizeof r.name));
    std::snprintf(text, sizeof text, "Unable to launch %s file, name %s id %d", path, name,
                  static_cast<int32_t>(r.id & 0x0FFFFFFFu));
    show_message_box(text, 1);
    return false;
  }
  if (mda_check_file(path) != 0) {
    std::snprintf(text, sizeof text, "%s is not MDA file", path);
    show_message_box(text, 1);
    return false;
  }
  return true;
}

// After a removal at k the indexes that named later characters move up; the one that named
// the removed character names none.
void follow_removal(int32_t& index, int32_t k) {
  if (index == k) {
    index = -1;
  } else if (index > k) {
    --index;
  }
}

}  // namespace

void scene_look_path(char (&out)[SCENE_LOOK_PATH_SIZE], int32_t look) {
  std::snprintf(out, sizeof out, "NPC\\NPC%03da.MDA", look);
}

int32_t scene_player_slot() {
  const int32_t i = scene_player_index;
  if (i >= 0 && i < scene_chars.count && scene_chars[i].id == scene_player_id) return i;
  const int32_t found = scene_find_char(scene_player_id);
  if (found >= 0) scene_player_index = found;
  return found;
}

int32_t scene_find_char(uint32_t id) {
  // The kept index is a hint, checked against the table: removals move characters up.
  const auto hint = g_index.find(id);
  if (hint != g_index.end() && hint->second < scene_chars.count && scene_chars[hint->second].id == id) {
    return hint->second;
  }
  for (int32_t i = 0; i < scene_chars.count; ++i) {
    if (scene_chars[i].id == id) {
      g_index[id] = i;
      return i;
    }
  }
  return -2;
}

int32_t scene_alloc_char() {
  SCENE_CHAR empty{};
  empty.look_handle = -1;
  empty.icon = -1;
  empty.owner_id = SCENE_NO_OWNER;
  return scene_chars.append(empty);
}

void scene_delete_char_at(int32_t index) { scene_chars.remove(index); }

int32_t scene_add_char(const SCENE_CHAR_RECORD& r) {
  if (scene_find_char(r.id) != -2) return -2;
  char path[SCENE_LOOK_PATH_SIZE];
  scene_look_path(path, r.look);
  if (!look_file_usable(path, r)) return -2;
  if (scene_find_char(r.id) != -2) return -2;  // the box ran frames whose handlers may have added it
  const int32_t index = scene_alloc_char();
  if (index < 0) {
    char text[512];
    std::snprintf(text, sizeof text, "Unable to create %s file", path);
    show_message_box(text, 1);
    return -2;
  }
  SCENE_CHAR& c = scene_chars[index];
  c.id = r.id;
  text_field_set(c.name, std::string_view(r.name, sizeof r.name));
  text_field_set(c.title, std::string_view(r.title, sizeof r.title));
  c.look = r.look;
  c.byte_56 = r.byte_56;
  c.x = r.x;
  c.y = r.y;
  c.target_x = r.target_x;
  c.target_y = r.target_y;
  c.walking = r.walking;
  c.posture = static_cast<int8_t>(r.posture);
  c.kind = kind_of(r.id);
  c.direction = static_cast<int8_t>(r.direction);
  if (c.kind != SCENE_KIND_PLAYER) c.direction = static_cast<int8_t>(c.direction % 4);  // keeps the sign
  c.mode = static_cast<int8_t>(r.mode);
  c.flags = r.status;
  c.class_byte = static_cast<int8_t>(r.class_byte);
  c.icon = r.icon;
  c.look_handle = -1;
  const uint32_t now = plat::tier0::msTime();
  c.created_time = c.moved_time = now;
  c.time_stamp = now + SCENE_IDLE_DELAY_MS;
  c.server_value = r.status;
  c.owner_id = SCENE_NO_OWNER;
  if (r.id == scene_player_id) scene_player_index = index;
  scene_load_char_display(index);
  return scene_find_char(r.id);
}

void scene_remove_char(uint32_t id) {
  const int32_t k = scene_find_char(id);
  if (k < 0) return;
  mda_flag_release(scene_chars[k].look_handle, SCENE_RELEASE_CHAR_LOOK);
  scene_delete_char_at(k);
  follow_removal(scene_player_index, k);
  follow_removal(scene_hover_index, k);
  follow_removal(scene_picked_index, k);
}

void scene_clear_chars() {
  for (int32_t i = 0; i < scene_chars.count; ++i) mda_object_release(&scene_chars[i].look_handle);
  for (MAP_EFFECT* effect : map_effect_list)
    if (effect) mda_object_release(&effect->handle);
  map_effect_list_clear();
  scene_chars.free();
  g_index.clear();
  scene_hover_index = scene_picked_index = -1;
  scene_player_index = -2;
}

void scene_set_char_name(uint32_t id, const char* name) {
  const int32_t i = scene_find_char(id);
  if (i < 0 || !name) return;
  // The source may fill its field without a NUL: never read past the name field's length.
  text_field_set(scene_chars[i].name, std::string_view(name, strnlen(name, SCENE_CHAR_NAME_SIZE)));
}

void scene_set_char_posture(int32_t index, int8_t posture) {
  if (index < 0 || index >= scene_chars.count) return;
  SCENE_CHAR& c = scene_chars[index];
  if (c.kind != SCENE_KIND_PLAYER && posture == 3) posture = 2;
  if (posture == c.posture) return;
  c.posture = posture;
  scene_build_frame_tracks(index);
}

static const ModuleReset k_reset("scene characters", scene_reset);

// Pet followers and timed map animations.
#include "world/scene/scene_services.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "client/common/seam_calls.h"
#include "client/common/text_field.h"
#include "graphics/frame_cmd/map_effects.h"
#include "graphics/mda/mda.h"
#include "world/scene/scene_chars.h"

namespace {
constexpr int32_t kPetDirection = 1;
}  // namespace

void scene_add_pet_follower(const PET_FOLLOW_RECORD& block) {
  const int32_t owner = scene_find_char(block.owner_id);
  if (owner < 0) return;
  SCENE_CHAR_RECORD r{};
  r.id = block.pet_id;
  const std::string_view name(block.name, strnlen(block.name, sizeof block.name));
  text_field_set(r.name, name);
  // "’" is two bytes in the game's code page; a title that does not fit stays empty.
  char title[64];
  const int n = std::snprintf(title, sizeof title, "%s\xA1\xAFs pet", scene_chars[owner].name);
  if (n >= 0 && n < SCENE_CHAR_RECORD_TITLE_SIZE) std::memcpy(r.title, title, static_cast<size_t>(n));
  r.look = static_cast<int16_t>(block.look);
  r.class_byte = block.byte_10;
  r.icon = static_cast<int8_t>(block.byte_26);
  r.x = r.target_x = scene_chars[owner].x;
  r.y = r.target_y = scene_chars[owner].y;
  r.direction = kPetDirection;
  r.mode = SCENE_MOVE_FOLLOW;
  if (scene_add_char(r) < 0) return;
  int32_t following = 0;
  for (const SCENE_CHAR& c : scene_chars)
    if (c.owner_id == block.owner_id) ++following;
  const int32_t pet = scene_find_char(block.pet_id);
  if (pet < 0) return;
  scene_chars[pet].owner_id = block.owner_id;
  scene_chars[pet].follower_ordinal = following;
}

void scene_add_obj147_animation(int32_t x, int32_t y, int32_t variant, int32_t duration) {
  char path[32];
  std::snprintf(path, sizeof path, "ani\\Obj147%c.mda", static_cast<char>(static_cast<uint32_t>('a') + static_cast<uint32_t>(variant)));
  int32_t handle = mda_find_by_name(path);
  if (handle < 0 && mda_load_file(path, &handle) != 0) handle = -1;
  // The counter starts duration steps before the animation shows.
  const int32_t delay = static_cast<int32_t>(0u - static_cast<uint32_t>(duration));
  auto* record = new (std::nothrow) MAP_EFFECT{handle, delay, x, y, duration};
  if (!record) return;
  for (int32_t i = map_effect_list.count - 1; i >= 0; --i) {
    if (!map_effect_list[i]) {
      map_effect_list[i] = record;
      return;
    }
  }
  if (map_effect_list.append(record) < 0) delete record;
}

void scene_release_object_unless_shown(int32_t media) { seam_call("scene_release_object_unless_shown", media); }

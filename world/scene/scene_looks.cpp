// The looks of scene characters and look objects: loading them while the player is near, the
// frame tracks they show, and the release bytes that tell which media entries are still wanted.
#include <algorithm>
#include <cstdio>

#include "client/game/replay_state.h"
#include "client/handover/replay_controls.h"
#include "client/ui/message_box.h"
#include "core/log/log.h"
#include "core/pak/pak.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda.h"
#include "world/map/map_data.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_services.h"

namespace {

constexpr int32_t kReachAcross = 800, kReachDown = 600;
constexpr int32_t kOffScreen = -9999;

// The player's position and walk target widened by the reach.
struct ReachBox {
  int32_t left, top, right, bottom;
  bool holds(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

ReachBox reach_of(const SCENE_CHAR& p) {
  return {std::min<int32_t>(p.x, p.target_x) - kReachAcross, std::min<int32_t>(p.y, p.target_y) - kReachDown,
          std::max<int32_t>(p.x, p.target_x) + kReachAcross, std::max<int32_t>(p.y, p.target_y) + kReachDown};
}

// The media id of the file, found by name or loaded; -1 when it cannot be had.
int32_t find_or_load(const char* path) {
  int32_t id = mda_find_by_name(path);
  if (id >= 0) return id;
  if (mda_load_file(path, &id) != 0) return -1;
  return id;
}

// A fresh look draws its first step once where nothing shows, so that its last drawn frame is
// known before the character is drawn.
void warm_up(int32_t handle) {
  mda_run_command(handle, "MainCommand0", kOffScreen, kOffScreen, screen_back, MDA_FIRST_STEP, 0, 0, 0);
}

void box_printf(const char* format, const char* arg) {
  char text[512];
  std::snprintf(text, sizeof text, format, arg);
  show_message_box(text, 1);
}

// Looks of kind-1 map objects: dropped outside the reach, loaded inside.
void load_object_looks(const ReachBox& reach) {
  for (size_t i = 0; i < map_record.objects.size(); ++i) {
    MAP_OBJECT& o = map_record.objects[i];
    if (o.kind != MAP_OBJECT_LOOK) continue;
    if (!reach.holds(o.x, o.y)) {
      mda_flag_release(o.look, SCENE_RELEASE_OBJECT_LOOK);
      o.look = -1;
      continue;
    }
    if (o.look >= 0) continue;
    char path[MAP_NAME_FIELD + 8];
    std::snprintf(path, sizeof path, "MDA\\%s", o.name);
    const int32_t id = find_or_load(path);
    if (i >= map_record.objects.size()) return;  // a load's message may run frames
    MAP_OBJECT& obj = map_record.objects[i];
    if (id < 0) {
      sys_log_printf(1, "Unable to launch %s file", obj.name);
      continue;
    }
    obj.look = id;
    warm_up(id);
    const int32_t entry = mda_find_by_id(id);
    if (entry < 0) {
      show_message_box("Map File error !", 1);
      return;  // the box ran frames: the objects may be another map's
    }
    const MDA_ENTRY& e = mda_table.entries[entry];
    const Img256Frame* first = e.frame_count > 0 ? mda_frame_image(entry, 0) : nullptr;
    obj.frame_width = first ? first->width() : 0;
    obj.frame_height = first ? first->height() : 0;
    obj.step = e.command_count > 0 && e.current_step ? e.current_step[0] : 0;
    obj.step_count = e.command_count > 0 && e.step_count ? e.step_count[0] : 0;
  }
}

// Step count of command n of the entry; 0 for a command it does not have.
int32_t steps_of(const MDA_ENTRY* e, int32_t n) {
  if (!e || n < 0 || n >= e->command_count || !e->step_count) return 0;
  return std::max(e->step_count[n], 0);
}

// Whether a character other than the one at index wears the same look entry.
bool look_worn_by_another(int32_t index) {
  const int32_t handle = scene_chars[index].look_handle;
  if (handle < 0) return false;
  for (int32_t i = 0; i < scene_chars.count; ++i)
    if (i != index && scene_chars[i].look_handle == handle) return true;
  return false;
}

}  // namespace

void mda_flag_release(int32_t handle, uint8_t flag) {
  if (handle < 0) return;
  const int32_t entry = mda_find_by_id(handle);
  if (entry >= 0) mda_table.entries[entry].release_flag = flag;
}

void mda_table_keep_used_entries() {
  for (int32_t i = mda_table.entries.count - 1; i >= 0; --i) {
    MDA_ENTRY& e = mda_table.entries[i];
    if (e.release_flag == SCENE_RELEASE_CHAR_LOOK) {
      for (const SCENE_CHAR& c : scene_chars)
        if (c.look_handle == e.id) e.release_flag = SCENE_RELEASE_NONE;
    } else if (e.release_flag == SCENE_RELEASE_OBJECT_LOOK) {
      for (const MAP_OBJECT& o : map_record.objects)
        if (o.kind == MAP_OBJECT_LOOK && o.look == e.id) e.release_flag = SCENE_RELEASE_NONE;
    }
  }
}

void scene_load_char_display(int32_t index) {
  if (index < 0 || index >= scene_chars.count) return;
  const uint32_t id = scene_chars[index].id;
  const int32_t player = scene_player_slot();
  if (player >= 0) {
    const ReachBox reach = reach_of(scene_chars[player]);
    if (player == index) {
      load_object_looks(reach);
      index = scene_find_char(id);
      if (index < 0) return;
    } else if (!reach.holds(scene_chars[index].target_x, scene_chars[index].target_y)) {
      mda_flag_release(scene_chars[index].look_handle, SCENE_RELEASE_CHAR_LOOK);
      scene_chars[index].look_handle = -1;
      return;
    }
  } else {
    // Without the player nothing is near: the look waits for the player's arrival.
    mda_flag_release(scene_chars[index].look_handle, SCENE_RELEASE_CHAR_LOOK);
    scene_chars[index].look_handle = -1;
    return;
  }
  if (scene_chars[index].look_handle >= 0) return;
  char path[SCENE_LOOK_PATH_SIZE];
  scene_look_path(path, scene_chars[index].look);
  const int32_t handle = find_or_load(path);
  index = scene_find_char(id);
  if (handle < 0) {
    box_printf("Unable to create %s file", path);
    return;
  }
  if (index < 0) return;
  scene_chars[index].look_handle = handle;
  warm_up(handle);
  scene_build_frame_tracks(index);
}

int32_t scene_track_command(const SCENE_CHAR& c, int32_t track) {
  if (track < 0 || track >= SCENE_TRACKS) return -1;
  int32_t p = c.posture;
  switch (c.kind) {
    case SCENE_KIND_PLAYER:
      if (c.look < 100) return c.class_byte > 0 ? p * 8 + 4 + track % 4 : p * 8 + track;
      p = std::min(p, 2);
      return p * 4 + track % 4;
    case SCENE_KIND_NPC:
    case SCENE_KIND_PET: return p * 4 + track % 4;
    default: return -1;
  }
}

void scene_build_frame_tracks(int32_t index) {
  if (index < 0 || index >= scene_chars.count) return;
  SCENE_CHAR& c = scene_chars[index];
  if (c.kind != SCENE_KIND_PLAYER && c.kind != SCENE_KIND_NPC && c.kind != SCENE_KIND_PET) {
    box_printf("Unable to create %s file", "UNKONOW");
    return;
  }
  const int32_t entry = mda_find_by_id(c.look_handle);
  const MDA_ENTRY* e = entry >= 0 ? &mda_table.entries[entry] : nullptr;
  for (int32_t k = 0; k < SCENE_TRACKS; ++k) {
    c.tracks[k].step_count = static_cast<uint32_t>(steps_of(e, scene_track_command(c, k)));
    c.tracks[k].step = 0;
  }
}

void scene_advance_frame(int32_t index, int32_t direction) {
  if (index < 0 || index >= scene_chars.count) return;
  SCENE_CHAR& c = scene_chars[index];
  if (c.kind != SCENE_KIND_PLAYER) direction %= 4;
  if (direction < 0 || direction >= SCENE_TRACKS) return;
  SCENE_FRAME_TRACK& t = c.tracks[direction];
  const uint32_t by = replaying ? static_cast<uint32_t>(std::max(1.0f, replay_speed.load())) : 1u;
  t.step += by;
  if (t.step >= t.step_count) t.step = 0;
}

int32_t scene_set_char_npc_look(int32_t index, int32_t look) {
  if (index < 0 || index >= scene_chars.count) return -2;
  const uint32_t id = scene_chars[index].id;
  char path[SCENE_LOOK_PATH_SIZE];
  scene_look_path(path, look);
  if (PAK_FILE* f = pak_fopen(path, "rb")) {
    pak_fclose(f);
  } else {
    box_printf("Unable to launch %s file", path);
    return -2;
  }
  if (mda_check_file(path) != 0) {
    box_printf("%s is not MDA file", path);
    return -2;
  }
  scene_chars[index].look = look;
  // Looks are shared by name: freeing one another character still wears would leave that
  // character with a handle of nothing, or of whatever media takes the freed id next.
  if (look_worn_by_another(index)) {
    scene_chars[index].look_handle = -1;
  } else {
    mda_object_release(&scene_chars[index].look_handle);
  }
  const int32_t handle = find_or_load(path);
  index = scene_find_char(id);
  if (handle < 0) {
    box_printf("Unable to create %s file", path);
    return -2;
  }
  if (index < 0) return -2;
  scene_chars[index].look_handle = handle;
  warm_up(handle);
  scene_build_frame_tracks(index);
  return 0;
}

#include "world/scene/ambient_sounds.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/sound.h"
#include "client/settings/settings.h"
#include "client/sound/sound_front.h"
#include "plat/tier0.h"
#include "world/map/map_data.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr int32_t kPanDeadZone = 200;
constexpr int32_t kPanSpan = 1200;
constexpr int32_t kPanFull = 10000;
constexpr int32_t kQuietest = -3000;
constexpr int32_t kFloor = -10000;  // the voice volume scale's silence

void stop(MAP_OBJECT& o) {
  if (o.voice >= 0) sound_stop_voice(o.voice);
  o.voice = -1;
  o.playing = 0;
}

}  // namespace

int32_t ambient_pan(int32_t dx) {
  const int64_t a = std::llabs(static_cast<int64_t>(dx));
  if (a < kPanDeadZone) return 0;
  const int64_t p = (a - kPanDeadZone) * 100 / kPanSpan;
  int32_t pan = 0;
  if (p < 1) {
    pan = 0;
  } else if (p > 99) {
    pan = kPanFull;
  } else {
    pan = static_cast<int32_t>(p * 100);
  }
  return dx < 0 ? -pan : pan;
}

int32_t ambient_distance_volume(int64_t distance) {
  const int64_t v = 100 - distance / 15;
  if (v < 1) return kQuietest;
  if (v >= 100) return 0;
  return static_cast<int32_t>(v * 3000 / 100 - 3000);
}

void ambient_sounds_update() {
  const uint32_t now = plat::tier0::msTime();
  const int32_t player = scene_player_slot();
  for (MAP_OBJECT& o : map_record.objects) {
    if (static_cast<int32_t>(now - o.next_check) < 0) continue;
    o.next_check = now + AMBIENT_CHECK_MS;
    if (o.kind != MAP_OBJECT_SOUND) continue;
    bool near = false;
    int64_t dx = 0, d2 = 0;
    if (player >= 0) {
      const SCENE_CHAR& p = scene_chars[player];
      dx = static_cast<int64_t>(o.x) - p.x;
      const int64_t dy = static_cast<int64_t>(o.y) - p.y;
      d2 = dx * dx + dy * dy;
      near = d2 <= static_cast<int64_t>(AMBIENT_REACH) * AMBIENT_REACH;
    }
    if (!near) {
      if (o.playing) stop(o);
      continue;
    }
    const int32_t volume = ambient_distance_volume(static_cast<int64_t>(std::sqrt(static_cast<double>(d2))));
    const int32_t pan = ambient_pan(static_cast<int32_t>(dx));
    if (!o.playing) {
      char path[MAP_NAME_FIELD + 8];
      std::snprintf(path, sizeof path, "EFC\\%s", o.name);
      int32_t voice = -2;
      if (play_sound_effect(0, path, nullptr, 0, 1, volume, pan, &voice) != 0) voice = -2;
      o.voice = voice;
      o.playing = 1;
    } else if (o.voice >= 0) {
      const int64_t scaled = static_cast<int64_t>(volume - kFloor) * settings.volume / 100 + kFloor;
      sound_set_voice_volume(o.voice, static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX)));
      sound_set_voice_pan(o.voice, pan);
    }
  }
}

bool scene_obj_in_earshot(const MAP_OBJECT& o) {
  const int32_t player = scene_player_slot();
  if (player < 0) return false;
  const SCENE_CHAR& p = scene_chars[player];
  const int64_t dx = static_cast<int64_t>(o.x) - p.x, dy = static_cast<int64_t>(o.y) - p.y;
  return dx * dx + dy * dy <= static_cast<int64_t>(AMBIENT_REACH) * AMBIENT_REACH;
}

void scene_reset_near_map_objects() {
  for (MAP_OBJECT& o : map_record.objects) {
    if (o.kind == MAP_OBJECT_SOUND && scene_obj_in_earshot(o)) o.playing = 0;
  }
}

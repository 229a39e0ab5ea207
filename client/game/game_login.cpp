#include "client/game/game_login.h"

#include <cstdio>

#include "client/front/front_buttons.h"
#include "client/game/frame_step.h"
#include "client/sound/sound_front.h"
#include "client/state/map_record.h"
#include "client/ui/message_box.h"
#include "core/reset/module_resets.h"
#include "social/chat_window/chat_window.h"
#include "world/map/map_load.h"
#include "world/scene/scene_chars.h"

int32_t map_already_loaded = 0;

namespace {

constexpr int32_t kMusicVolume = 100;
// The player's map position inside the scene entry's own character record: u16 at 58 and 60.
constexpr int kOwnXWord = 58 / 4, kOwnYWord = 60 / 4;

int32_t own_x() { return static_cast<int32_t>((static_cast<uint32_t>(map_state.block_88[kOwnXWord]) >> 16) & 0xFFFF); }
int32_t own_y() { return static_cast<int32_t>(static_cast<uint32_t>(map_state.block_88[kOwnYWord]) & 0xFFFF); }

// Frames until the scene entry has ended: an entry draws its last frame, a failed one none.
void wait_for_scene() {
  for (;;) {
    frame_step();
    const int32_t in_scene = scene_in_scene;
    if (in_scene == -1) return;
    front_windows_present();
    if (in_scene == 1) return;
  }
}

}  // namespace

int32_t task_game_login() {
  wait_for_scene();
  if (map_already_loaded == 0) {
    char path[64];
    std::snprintf(path, sizeof path, "MAP\\%s", map_state.map_file);
    if (map_load_file(path, own_x(), own_y()) != 0) {
      char text[128];
      std::snprintf(text, sizeof text, "Unable to load map file(%s)", path);
      show_message_box(text, 1);
      return -1;
    }
    std::snprintf(path, sizeof path, "MUSIC\\%s", map_state.music_files[0]);
    game_music_play(path, 1, kMusicVolume);
  }
  chat_window_mode_apply();
  return 0;
}

static const ModuleReset k_reset("game login", [] { map_already_loaded = 0; });

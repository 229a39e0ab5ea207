// Background music through the music player, under the music switch and volume percentage.
#include <cstring>
#include <string>
#include <string_view>

#include "audio/music_player.h"
#include "client/settings/settings.h"
#include "client/sound/music_state.h"
#include "client/sound/sound_front.h"
#include "plat/cp936.h"

namespace {

// The name as stored: cut at 511 bytes on a character boundary.
std::string_view stored_form(const char* name) {
  std::string_view s(name);
  return s.substr(0, plat::cp936::fitLength(s, MUSIC_NAME_SIZE - 1));
}

void store_name(std::string_view s) {
  std::memcpy(music_current_name, s.data(), s.size());
  music_current_name[s.size()] = '\0';
}

}  // namespace

int32_t game_music_play(const char* name, int32_t loop, int32_t volume_percent) {
  if (!name) return -2;
  const std::string_view cut = stored_form(name);
  if (settings.music == 0) {
    store_name(cut);
    return -2;
  }
  if (music_playing == 1 &&
      plat::cp936::asciiLower(cut) == plat::cp936::asciiLower(std::string_view(music_current_name))) {
    return 0;
  }
  music_event_flag = 0;
  music_playing = 1;
  music_open_file(name);
  music_run();
  music_loop_flag = static_cast<uint32_t>(loop);
  // The percentage applies twice here (game_music_set_volume applies it once).
  const int64_t pct = settings.volume;
  music_set_volume(static_cast<int32_t>((pct * volume_percent / 100) * pct / 100));
  store_name(cut);
  return 0;
}

int32_t game_music_stop() {
  const int32_t r = music_stop();
  music_playing = 0;
  return r;
}

int32_t game_music_set_volume(int32_t percent) {
  if (settings.music == 0) return 0;
  return music_set_volume(static_cast<int32_t>(static_cast<int64_t>(percent) * settings.volume / 100));
}

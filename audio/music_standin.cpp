// Silent stand-in of the music player: every call succeeds and is recorded.
#include "audio/audio_standin.h"
#include "audio/music_player.h"

namespace {
void record(const char* op, int32_t value = 0, const char* name = nullptr) {
  audio_standin_calls().push_back(AUDIO_CALL{op, -1, value, name ? name : "", 0});
}
}  // namespace

int32_t music_open_file(const char* name) {
  record("music_open_file", 0, name);
  return 0;
}
void music_run() { record("music_run"); }
void music_pause() { record("music_pause"); }
int32_t music_stop() {
  record("music_stop");
  return 0;
}
int32_t music_set_volume(int32_t volume) {
  record("music_set_volume", volume);
  return 0;
}
int32_t music_poll_events() {
  record("music_poll_events");
  return 0;
}

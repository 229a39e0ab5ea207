// The music back-end table and its selection.
#include "audio/sound/music_backend.h"

#include "audio/sound/music_mp3.h"
#include "core/reset/module_resets.h"

namespace {

constexpr MUSIC_BACKEND kWavBackend = {music_wav_init,     music_wav_restore, music_wav_free,
                                       music_wav_play,     music_wav_stop,    music_wav_set_volume,
                                       music_wav_set_pan,  music_wav_is_playing};
constexpr MUSIC_BACKEND kMp3Backend = {music_mp3_init,     music_mp3_restore, music_mp3_free,
                                       music_mp3_play,     music_mp3_stop,    music_mp3_set_volume,
                                       music_mp3_set_pan,  music_mp3_is_playing};

void music_backend_reset() { music_backend = kWavBackend; }

}  // namespace

MUSIC_BACKEND music_backend = kWavBackend;

int32_t music_backend_select(int32_t mode) {
  if (mode == 0) music_backend = kWavBackend;
  if (mode == 1) music_backend = kMp3Backend;
  return mode;
}

static const ModuleReset k_reset("music back end", music_backend_reset);

// The WAV music back end: numbered tunes as whole samples on channel 7.
#include <algorithm>
#include <cstdio>

#include "audio/sound.h"
#include "audio/sound/music_backend.h"
#include "audio/sound/sound_channel.h"
#include "audio/sound/sound_state.h"
#include "core/log/log.h"

int32_t music_wav_init() { return 0; }
void music_wav_restore(uint32_t /*state*/) {}
void music_wav_free() {}

void music_wav_play(int32_t number, int32_t loop) {
  SOUND_STATE& s = sound_state();
  const int32_t previous = s.current_music;
  s.current_music = number;
  if (!s.music_on || number == previous) return;
  char name[32];
  std::snprintf(name, sizeof name, "MUSIC\\MUS%03d.WAV", number);
  if (sound_channel_load_file(SOUND_MUSIC_CHANNEL, name) < 0) {
    sys_log_printf(1, "load music [%d]%s error", SOUND_MUSIC_CHANNEL, name);
    return;
  }
  sound_channel_set_volume(SOUND_MUSIC_CHANNEL, sound_volume_combine(s.music_master_volume, 0));
  if (sound_channel_play(SOUND_MUSIC_CHANNEL, loop) != 0) {
    sys_log_printf(1, "play music [%d]%s error", SOUND_MUSIC_CHANNEL, name);
  }
}

void music_wav_stop() {
  SOUND_STATE& s = sound_state();
  if (!s.music_on) return;
  sound_channel_stop(SOUND_MUSIC_CHANNEL, 1);
  s.current_music = -1;
}

void music_wav_set_volume(int32_t volume) {
  SOUND_STATE& s = sound_state();
  if (s.music_on) sound_channel_set_volume(SOUND_MUSIC_CHANNEL, sound_volume_combine(volume, s.music_master_volume));
  s.channels[SOUND_MUSIC_CHANNEL].requested_volume = volume;
}

void music_wav_set_pan(int32_t pan) {
  SOUND_STATE& s = sound_state();
  if (s.music_on) {
    const int64_t sum = int64_t{pan} + s.music_master_pan;
    sound_channel_set_pan(SOUND_MUSIC_CHANNEL, static_cast<int32_t>(std::clamp<int64_t>(sum, -10000, 10000)));
  }
  s.channels[SOUND_MUSIC_CHANNEL].requested_pan = pan;
}

bool music_wav_is_playing() { return sound_state().music_on && sound_channel_is_playing(SOUND_MUSIC_CHANNEL); }

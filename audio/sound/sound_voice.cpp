// The voice calls: channels 0..6 under the ready flag, with the volume and pan rules.
#include <algorithm>

#include "audio/sound.h"
#include "audio/sound/music_backend.h"
#include "audio/sound/sound_channel.h"
#include "audio/sound/sound_state.h"
#include "core/log/log.h"

namespace {

SoundCallObserver observer = nullptr;

void report(const char* op, int32_t channel, int32_t value, const char* name = nullptr, uint32_t size = 0) {
  if (observer) observer(SOUND_CALL{op, channel, value, name, size});
}

bool voice_ok(int32_t channel) { return sound_state().ready && channel >= 0 && channel <= SOUND_LAST_VOICE; }

void play_file(int32_t channel, int32_t loop, const char* name) {
  if (!voice_ok(channel)) return;
  const char* shown = name ? name : "";
  if (sound_channel_load_file(channel, name) < 0) {
    sys_log_printf(1, "load voice [%d]%s error", channel, shown);
    return;
  }
  sound_channel_set_volume(channel, sound_volume_combine(sound_state().voice_master_volume, 0));
  if (sound_channel_play(channel, loop) != 0) sys_log_printf(1, "play voice [%d]%s error", channel, shown);
}

}  // namespace

void sound_set_call_observer(SoundCallObserver o) { observer = o; }

int32_t sound_volume_combine(int32_t volume, int32_t master) {
  // Truncated before the subtraction, as the game computes it (-9997 with master 0 is -9998).
  const double v = ((volume + 10000.0) / 10000.0) * ((master + 10000.0) / 10000.0) * 10000.0;
  const double clamped = std::clamp(v, -2147483648.0, 2147483647.0);
  return static_cast<int32_t>(static_cast<int64_t>(clamped) - 10000);
}

void sound_play_voice_file(int32_t channel, int32_t loop, const char* name) {
  report("sound_play_voice_file", channel, loop, name);
  play_file(channel, loop, name);
}

void sound_play_voice_buffer(int32_t channel, int32_t loop, const uint8_t* image, uint32_t size) {
  report("sound_play_voice_buffer", channel, loop, nullptr, size);
  if (!voice_ok(channel)) return;
  if (sound_channel_load_image(channel, image, size) < 0) {
    sys_log_printf(1, "load wave buffer [%d](size = %d) error", channel, static_cast<int>(size));
    return;
  }
  sound_channel_set_volume(channel, sound_volume_combine(sound_state().voice_master_volume, 0));
  if (sound_channel_play(channel, loop) != 0) {
    sys_log_printf(1, "play buffer voice [%d](size = %d) error", channel, static_cast<int>(size));
  }
}

void sound_play_voice_any(int32_t first, int32_t last, int32_t loop, const char* name) {
  report("sound_play_voice_any", first, loop, name, static_cast<uint32_t>(last));
  if (!sound_state().ready) return;
  play_file(sound_pick_channel(first, last), loop, name);
}

void sound_stop_voice(int32_t channel) {
  report("sound_stop_voice", channel, 0);
  if (voice_ok(channel)) sound_channel_stop(channel, 1);
}

void sound_set_voice_volume(int32_t channel, int32_t volume) {
  report("sound_set_voice_volume", channel, volume);
  if (!voice_ok(channel)) return;
  SOUND_STATE& s = sound_state();
  sound_channel_set_volume(channel, sound_volume_combine(volume, s.voice_master_volume));
  s.channels[channel].requested_volume = volume;
}

void sound_set_voice_pan(int32_t channel, int32_t pan) {
  report("sound_set_voice_pan", channel, pan);
  if (!voice_ok(channel)) return;
  SOUND_STATE& s = sound_state();
  const int64_t sum = int64_t{pan} + s.voice_master_pan;
  sound_channel_set_pan(channel, static_cast<int32_t>(std::clamp<int64_t>(sum, -10000, 10000)));
  s.channels[channel].requested_pan = pan;
}

int32_t sound_voice_is_playing(int32_t channel) {
  if (!voice_ok(channel)) return 0;
  return sound_channel_is_playing(channel) ? 1 : 0;
}

void sound_apply_settings(uint32_t flags) {
  SOUND_STATE& s = sound_state();
  if (flags & 4) music_backend.set_volume(s.channels[SOUND_MUSIC_CHANNEL].requested_volume);
  if (flags & 8) music_backend.set_pan(s.channels[SOUND_MUSIC_CHANNEL].requested_pan);
  if (flags & 32) {
    for (int32_t c = 0; c <= SOUND_LAST_VOICE; ++c) sound_set_voice_volume(c, s.channels[c].requested_volume);
  }
  if (flags & 64) {
    for (int32_t c = 0; c <= SOUND_LAST_VOICE; ++c) sound_set_voice_pan(c, s.channels[c].requested_pan);
  }
}

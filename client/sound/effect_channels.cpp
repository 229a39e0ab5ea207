// The six effect channels and their reuse policy.
#include <cstring>

#include "audio/sound.h"
#include "audio/wav.h"
#include "client/settings/settings.h"
#include "client/sound/sound_front.h"
#include "core/reset/module_resets.h"
#include "plat/crt.h"
#include "plat/tier0.h"

EFFECT_CHANNEL effect_channels[EFFECT_CHANNELS] = {};

void sound_front_reset() { std::memset(effect_channels, 0, sizeof effect_channels); }

int32_t sound_effect_volume(int32_t volume, int32_t percentage) {
  // 64-bit so that no argument overflows; the result fits the device's range after clamping.
  int64_t v = (static_cast<int64_t>(volume) + 3000) * percentage / 100 - 3000;
  if (v < INT32_MIN) v = INT32_MIN;
  if (v > INT32_MAX) v = INT32_MAX;
  return static_cast<int32_t>(v);
}

namespace {

int choose_channel() {
  for (int c = 0; c < EFFECT_CHANNELS; ++c)
    if (!effect_channels[c].busy) return c;
  // All busy: free the finished sounds that do not loop.
  const uint32_t now = plat::tier0::msTime();
  bool released[EFFECT_CHANNELS] = {};
  for (int c = 0; c < EFFECT_CHANNELS; ++c) {
    EFFECT_CHANNEL& ch = effect_channels[c];
    if (now >= ch.end_time && ch.loop == 0) {
      ch.busy = 0;
      ch.loop = 0;
      released[c] = true;
    }
  }
  if (released[EFFECT_CHANNELS - 1]) return EFFECT_CHANNELS - 1;
  for (int c = EFFECT_CHANNELS - 2; c >= 0; --c)
    if (released[c]) return c;
  for (int c = 0; c < EFFECT_CHANNELS; ++c)
    if (effect_channels[c].loop == 0) return c;
  return plat::crt_rand() % EFFECT_CHANNELS;
}

}  // namespace

int32_t play_sound_effect(int32_t kind, const char* name, const uint8_t* image, int32_t size, int32_t loop,
                          int32_t volume, int32_t pan, int32_t* channel_out) {
  if (settings.effects == 0) return -2;
  const int32_t effective = sound_effect_volume(volume, settings.volume);
  if (kind == 0) {
    if (!name) return -2;
  } else if (kind == 1) {
    if (!image || size < 1) return -2;
  } else {
    return -2;
  }

  const int channel = choose_channel();
  if (channel_out) *channel_out = channel;

  uint32_t duration = 0;
  if (kind == 1) {
    sound_play_voice_buffer(channel, loop, image, static_cast<uint32_t>(size));
    WAV_FORMAT format{};
    uint32_t data_bytes = 0;
    if (wav_parse_image(image, static_cast<uint32_t>(size), nullptr, &format, nullptr, &data_bytes) == 0) {
      duration = wav_duration_ms(data_bytes, format.avg_bytes_per_sec);
    }
  } else {
    sound_play_voice_file(channel, loop, name);
    if (wav_get_file_info(name, nullptr, nullptr, nullptr, nullptr, &duration) != 0) duration = 0;
  }

  EFFECT_CHANNEL& ch = effect_channels[channel];
  ch.end_time = plat::tier0::msTime() + duration;
  sound_set_voice_volume(channel, effective);
  sound_set_voice_pan(channel, pan);
  ch.busy = 1;
  ch.loop = static_cast<uint32_t>(loop);
  return 0;
}

void sound_stop_all() {
  for (int c = 0; c < EFFECT_CHANNELS; ++c) {
    effect_channels[c] = EFFECT_CHANNEL{};
    sound_stop_voice(c);
  }
}

static const ModuleReset k_reset("sound effect channels", sound_front_reset);

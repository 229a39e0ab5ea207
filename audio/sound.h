// The SOUND module's voice calls: channels 0..6 play whole WAV samples from files or images.
// Every call does nothing until the module is ready, and for a channel outside 0..6.
#pragma once
#include <cstdint>

#include "audio/sound/sound_module.h"

void sound_play_voice_file(int32_t channel, int32_t loop, const char* name);
// The size only names the image in the error lines.
void sound_play_voice_buffer(int32_t channel, int32_t loop, const uint8_t* image, uint32_t size);
// A free channel of first..last (see sound_pick_channel), then as sound_play_voice_file.
void sound_play_voice_any(int32_t first, int32_t last, int32_t loop, const char* name);
void sound_stop_voice(int32_t channel);
// Hundredths of a decibel, -10000..0, combined with the voice master volume; remembered as asked.
void sound_set_voice_volume(int32_t channel, int32_t volume);
// -10000..10000 plus the voice master pan; remembered as asked.
void sound_set_voice_pan(int32_t channel, int32_t pan);
int32_t sound_voice_is_playing(int32_t channel);
// Applies the remembered values again: 4 music volume, 8 music pan, 32 voice volumes, 64 voice
// pans, in that order.
void sound_apply_settings(uint32_t flags);

// Two volumes as linear factors of (value + 10000) / 10000, truncated in double precision.
int32_t sound_volume_combine(int32_t volume, int32_t master);

// Tests only: every voice call is reported here on entry, ready or not (null: none).
struct SOUND_CALL {
  const char* op;  // the call's name, as "sound_play_voice_file"
  int32_t channel;
  int32_t value;     // loop flag, volume or pan
  const char* name;  // file name, or null
  uint32_t size;     // image size
};
using SoundCallObserver = void (*)(const SOUND_CALL& call);
void sound_set_call_observer(SoundCallObserver observer);

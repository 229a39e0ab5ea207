// The SOUND module's voice calls: channels 0..6 play whole WAV samples from files or images.
#pragma once
#include <cstdint>

#include "audio/sound/sound_module.h"

void sound_play_voice_file(int32_t channel, int32_t loop, const char* name);
void sound_play_voice_buffer(int32_t channel, int32_t loop, const uint8_t* image, uint32_t size);
// Hundredths of a decibel, -10000..0.
void sound_set_voice_volume(int32_t channel, int32_t volume);
void sound_set_voice_pan(int32_t channel, int32_t pan);
void sound_stop_voice(int32_t channel);

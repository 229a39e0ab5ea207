// The channel primitives: one sample and one static buffer per channel. All return 0 and do
// nothing while the device is closed, unless stated.
#pragma once
#include <cstdint>

#include "audio/wav.h"
#include "plat/audio.h"

// Create, then fill; the first negative result.
int32_t sound_channel_load_file(int32_t channel, const char* name);
int32_t sound_channel_load_image(int32_t channel, const uint8_t* image, uint32_t length);
// Frees the channel's sample and buffer (also while it plays), loads the sample and makes a
// static buffer of its format and size: -1 when nothing loads, else the device's result. A
// failed buffer leaves the sample in the channel.
int32_t sound_channel_create_file(int32_t channel, const char* name);
int32_t sound_channel_create_image(int32_t channel, const uint8_t* image, uint32_t length);
// Copies the sample into the buffer; the lock's error.
int32_t sound_channel_fill(int32_t channel);
// Restores and refills a lost buffer (at most 100 attempts, 10 ms apart); 0, or the failure.
int32_t sound_channel_restore(int32_t channel);
// E_FAIL without a buffer; the restore's failure; else the play's result.
int32_t sound_channel_play(int32_t channel, int32_t loop);
int32_t sound_channel_stop(int32_t channel, int32_t rewind);
// Clamped to -10000..0 / -10000..10000 and stored as applied (only with a buffer).
int32_t sound_channel_set_volume(int32_t channel, int32_t volume);
int32_t sound_channel_set_pan(int32_t channel, int32_t pan);
bool sound_channel_is_playing(int32_t channel);
// The first channel of first..last with a buffer that is not playing; else first + rand() %
// (last - first + 1) when first < last; else first. 0 while the device is closed.
int32_t sound_pick_channel(int32_t first, int32_t last);
// Frees the sample and releases the buffer.
void sound_channel_clear(int32_t channel);
// The device's description of a WAV format.
plat::WaveFormat sound_wave_format(const WAV_FORMAT& format);

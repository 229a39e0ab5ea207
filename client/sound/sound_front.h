// The sound front every screen plays through: six effect channels with a reuse policy, and the
// background music, both under the player's switches and volume percentage.
#pragma once
#include <cstdint>

constexpr int EFFECT_CHANNELS = 6;  // the SOUND module's voice channels 0..5

struct EFFECT_CHANNEL {
  uint32_t busy;      // 1 after a sound was started here
  uint32_t loop;      // loop flag of that sound (a looping sound keeps its channel)
  uint32_t end_time;  // tier0 ms at which that sound ends
};

extern EFFECT_CHANNEL effect_channels[EFFECT_CHANNELS];

// Kind 0 plays the WAV file name, kind 1 the WAV image of size bytes. Volume: hundredths of a
// decibel, 0 = full, scaled by the settings percentage. 0 with the channel used written to
// *channel_out; -2 when effects are switched off or the arguments are invalid (nothing played,
// *channel_out untouched).
int32_t play_sound_effect(int32_t kind, const char* name, const uint8_t* image, int32_t size, int32_t loop,
                          int32_t volume, int32_t pan, int32_t* channel_out);
// Frees and stops all six channels.
void sound_stop_all();

// 0 when played or already playing; -2 when music is switched off (the name is still stored).
int32_t game_music_play(const char* name, int32_t loop, int32_t volume_percent);
// The player's stop result; clears the playing flag.
int32_t game_music_stop();
// Music on: the player's result for percent x settings percentage / 100; music off: 0.
int32_t game_music_set_volume(int32_t percent);

// The effective effect volume: ((volume + 3000) x percentage / 100) - 3000, truncating.
int32_t sound_effect_volume(int32_t volume, int32_t percentage);

// Tests only: the channel table zeroed.
void sound_front_reset();

// The SOUND module's state: the device, the flags and the eight channels.
#pragma once
#include <cstdint>
#include <memory>

#include "audio/wav.h"
#include "plat/audio.h"

constexpr int SOUND_CHANNELS = 8;
constexpr int SOUND_LAST_VOICE = 6;
constexpr int SOUND_MUSIC_CHANNEL = 7;

struct SOUND_CHANNEL_STATE {
  std::unique_ptr<plat::ISoundBuffer> buffer;
  WAV_SAMPLE* sample = nullptr;
  uint32_t data_size = 0;
  uint32_t duration_ms = 0;
  int32_t applied_volume = 0;
  int32_t applied_pan = 0;
  int32_t requested_volume = 0;
  int32_t requested_pan = 0;
};

struct SOUND_STATE {
  uint32_t device_open = 0;  // bit 0
  int32_t ready = 0;
  int32_t music_on = 0;
  int32_t current_music = -1;
  int32_t voice_master_volume = 0;
  int32_t voice_master_pan = 0;
  int32_t music_master_volume = 0;
  int32_t music_master_pan = 0;
  plat::IAudioDevice* device = nullptr;
  SOUND_CHANNEL_STATE channels[SOUND_CHANNELS];
};

SOUND_STATE& sound_state();

// The music back ends behind one eight-slot table: the WAV file back end (the start) or the MP3
// stream back end. The module itself calls only init, restore and free.
#pragma once
#include <cstdint>

struct MUSIC_BACKEND {
  int32_t (*init)();
  void (*restore)(uint32_t state);
  void (*free)();
  void (*play)(int32_t number, int32_t loop);
  void (*stop)();
  void (*set_volume)(int32_t volume);
  void (*set_pan)(int32_t pan);
  bool (*is_playing)();
};

extern MUSIC_BACKEND music_backend;

// 0: the WAV back end, 1: the MP3 stream back end, in all eight slots; any other mode changes
// nothing. Returns the mode.
int32_t music_backend_select(int32_t mode);

// The WAV back end: "MUSIC\MUS%03d.WAV" on channel 7.
int32_t music_wav_init();
void music_wav_restore(uint32_t state);
void music_wav_free();
void music_wav_play(int32_t number, int32_t loop);
void music_wav_stop();
void music_wav_set_volume(int32_t volume);
void music_wav_set_pan(int32_t pan);
bool music_wav_is_playing();

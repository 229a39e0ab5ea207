// The MP3 stream back end: a tune decoded through the decode front end into a two-second
// streaming buffer, refilled half by half by its own thread.
#pragma once
#include <cstdint>

#include "audio/decode/audio_decoder.h"

constexpr uint32_t MUSIC_STREAM_HALF = 176400;
constexpr uint32_t MUSIC_STREAM_BYTES = 2 * MUSIC_STREAM_HALF;

int32_t music_mp3_init();
void music_mp3_restore(uint32_t state);
void music_mp3_free();
// "music\mus%03d.mp3"; ignored while playing (unless the tune has ended).
void music_mp3_play(int32_t number, int32_t loop);
void music_mp3_stop();
// Passed to the buffer unchanged and stored, also when the buffer refuses it.
void music_mp3_set_volume(int32_t volume);
void music_mp3_set_pan(int32_t pan);
bool music_mp3_is_playing();

// Fills length bytes of the buffer from offset with the tune (the loop rules); 0, or non-zero
// when the buffer cannot be locked (the fatal stop is handed to the main thread).
int32_t music_mp3_refill(uint32_t offset, uint32_t length);
// The stream thread's body: refills the half just played until told to end.
void music_stream_thread();

// The four decode front-end operations the back end uses; tests put a fake chain behind them.
struct MUSIC_DECODER_OPS {
  AUDIO_DECODER* (*open)(const char* name);
  int32_t (*read)(AUDIO_DECODER* decoder, uint8_t* buffer, uint32_t length);
  const WAV_FORMAT* (*format)(AUDIO_DECODER* decoder);
  void (*close)(AUDIO_DECODER* decoder);
};
// Null: the decode front end itself.
void music_mp3_set_decoder(const MUSIC_DECODER_OPS* ops);

// What a test can see of the back end.
struct MUSIC_MP3_VIEW {
  uint32_t flags;  // bit 0 initialised, bit 1 playing
  int32_t loop_mode;
  int32_t volume, pan;
  bool buffer;            // a stream buffer exists
  bool thread;            // the stream thread has not been joined
  bool current_decoder;   // the held chain is the tune playing
  bool decoder_held;
  const char* file_name;
};
MUSIC_MP3_VIEW music_mp3_view();
// The stream buffer, for tests that inject faults; null when none.
namespace plat {
struct ISoundBuffer;
}
plat::ISoundBuffer* music_mp3_buffer();

// Ends the thread and releases everything (the module's reset).
void music_mp3_reset();

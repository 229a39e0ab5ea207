// The background music player: one tune from a file at a time, played by a music graph of the
// platform and looped at its end. Main thread only.
#pragma once
#include <cstdint>

// Builds the graph and takes its facets; without an audio device there is none and every other
// call does nothing. Always 0.
int32_t music_graph_create();
// Stops the graph and lets it go. Always 0.
int32_t music_graph_release();

// 0, or 0x80004005 when the file cannot be rendered. Releases the previous graph first.
int32_t music_open_file(const char* name);
// Applies the remembered volume, then runs (nothing more when already running).
void music_run();
void music_pause();
int32_t music_stop();  // the graph's stop result, 0 without a graph
// 0..100 (taken modulo 101): remembered and applied; the volume in hundredths of a decibel.
int32_t music_set_volume(int32_t volume);
// Handles the graph's pending events (rewinds the tune at its end); the last result.
int32_t music_poll_events();

// Tests put a recorder in front of the player: while one is set, the six calls above from
// music_open_file on go to it alone.
struct MusicPlayerHook {
  virtual ~MusicPlayerHook() = default;
  virtual int32_t open_file(const char* name) = 0;
  virtual void run() = 0;
  virtual void pause() = 0;
  virtual int32_t stop() = 0;
  virtual int32_t set_volume(int32_t volume) = 0;
  virtual int32_t poll_events() = 0;
};
// Null gives the calls back to the player.
void music_player_set_hook(MusicPlayerHook* hook);

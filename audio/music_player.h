// The background music player: one tune from a file at a time.
#pragma once
#include <cstdint>

// 0, or 0x80004005 when the file cannot be rendered.
int32_t music_open_file(const char* name);
void music_run();
void music_pause();
int32_t music_stop();                   // the player's stop result
int32_t music_set_volume(int32_t volume);  // 0..100
// Handles the player's pending events (loops the tune at its end); the last result.
int32_t music_poll_events();

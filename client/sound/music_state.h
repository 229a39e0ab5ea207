// The background music the front started: its name (kept even while music is switched off, so
// that the settings panel can start it), whether it plays, its loop flag, and the event flag
// that the main window sets on message 1289 (posted by the music player from any thread) and
// that the frame step and the front clear on the main thread.
#pragma once
#include <cstdint>

constexpr int MUSIC_NAME_SIZE = 512;

extern char music_current_name[MUSIC_NAME_SIZE];
extern uint32_t music_playing;
extern uint32_t music_loop_flag;
extern int32_t music_event_flag;

// The start-up reset: no name, both flags and the event flag cleared.
void music_state_reset();

// The title film over the whole screen.
#pragma once

// Plays the film at path scaled to 800 x 600 until its end. Mode 0 cannot be skipped; mode 1 ends
// on Esc; mode 2 on Enter, Esc or a mouse click. 0, or -2 (after a box) when the file is missing;
// a film that cannot be opened is skipped with 0.
int play_video_fullscreen(const char* path, int mode);

// The game run: the client's whole life between start-up and shutdown.
#pragma once

// Runs the task table from row 0 until it ends, then saves the settings and stops the sound
// and music. 1.
int game_run();

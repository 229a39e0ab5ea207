// The game run: the client's whole life between start-up and shutdown.
#pragma once

// Sets the debug flags, loads the mouse cursors and the two configuration tables, runs the task
// table from row 0 until it ends, then saves the settings, stops the sound and music and frees
// the map. 1.
int game_run();

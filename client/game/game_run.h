// The game run: the client's whole life between start-up and shutdown.
#pragma once

// Until the task table exists: a frame loop that pumps messages and presents screen_back every
// 31 ms until the main window is gone.
int game_run();

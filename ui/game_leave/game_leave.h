// The game's answer to a close request of the main window while the game main task runs: it
// closes the in-game windows and quits (the system menu will ask first). Result ignored.
#pragma once

void game_on_close_request();

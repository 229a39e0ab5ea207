// The main window's title in the game: the game's name and version, then the server line, the
// character's name and id.
#pragma once

void game_window_title_show();

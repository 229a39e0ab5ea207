// Closing every in-game window at once (the end of the game main task, a close request).
#pragma once

// Removes every window of both lists and sets every window slot closed (-1).
void window_close_all();

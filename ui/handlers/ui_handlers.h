// The world-message handlers of the game screen interface that the client's dispatcher calls.
#pragma once

// Disconnects both server links and sets leave mode 2, so that the game main task ends the
// program. Also used by the system menu.
void game_leave_quit();  // 0x190005

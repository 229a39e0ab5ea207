// The in-game server switch window: up to ten lines of the server line table with their loads.
#pragma once

// Opens the window, or closes it when it is open.
void server_switch_window_toggle();

// Picking a character on the game screen (the pick target and cursor mode of game_screen_state).
#pragma once

// Runs in place of the HUD while the pick cursor mode is 0 or more.
void game_screen_pick_update();

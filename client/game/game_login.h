// TASK_GAME_LOGIN: between the character choice and the game screen it waits until the server
// has put the character into a scene, then loads that scene's map and music.
#pragma once
#include <cstdint>

// Non-zero when the scene's map is loaded already, so the game login does not load it again;
// the character select clears it.
extern int32_t map_already_loaded;

// 0 (the map loaded, or loaded already) or -1 (the map file failed: its message was shown).
int32_t task_game_login();

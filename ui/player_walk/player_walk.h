// The player's walk by mouse on the map.
#pragma once

// Stops the player's path walk.
void player_walk_stop();

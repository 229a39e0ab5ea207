// Emptying the player's bags (each game entry, before the server sends them again).
#pragma once

void item_clear_bags();

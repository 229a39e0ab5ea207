// The battle screen's graphics.
#pragma once

// Frees the battle screen's graphics (nothing is held yet).
void battle_free_graphics();

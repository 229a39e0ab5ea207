// The battle's effect slots.
#pragma once

// Releases the media of the 20 battle effect slots and clears them (none exist until the battle
// is built, so there is nothing to release).
void battle_free_effects();

// The battle's effect slots.
#pragma once

// Releases the media of the effect slots and clears them (the battle end, the account input).
// Until the battle is built there are no slots and it does nothing.
void battle_free_effects();

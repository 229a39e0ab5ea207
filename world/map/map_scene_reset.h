// What of the scene goes with the map: the effect slots flagged for release, the speech bubbles
// and the sound effects.
#pragma once

// Releases the media of every scene effect slot whose entry is flagged for release.
void map_release_flagged_effects();
// The scene side of a map (re)load: flagged effect slots released, bubbles cleared, sound
// effects stopped.
void map_scene_reset_effects();

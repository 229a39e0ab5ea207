// The hover tooltip of the game screen.
#pragma once

// Hides the tooltip; every new window calls it. Does nothing until the tooltip lands.
void tip_hide();

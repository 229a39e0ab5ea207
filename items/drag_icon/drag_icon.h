// The icon of the item the player drags, drawn above every window.
#pragma once

// Draws nothing until the bag's item drag lands.
void item_draw_drag_icon();

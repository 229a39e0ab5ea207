#include "ui/game_screen/tooltip.h"

void tip_hide() {}

#include "client/game/game_main_state.h"

uint8_t scene_redraw_flag = 0;

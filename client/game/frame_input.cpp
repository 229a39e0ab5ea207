#include "client/game/frame_input.h"

FRAME_INPUT frame_input = {};

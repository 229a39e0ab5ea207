// Until the INPUT module's readers land, nothing is sampled and nothing is cleared.
#include "client/game/input_bridge.h"

void frame_input_sample() {}
void frame_input_clear_key() {}
void frame_input_clear_keys() {}

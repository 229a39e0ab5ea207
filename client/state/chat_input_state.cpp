#include "client/state/chat_input_state.h"

#include "core/reset/module_resets.h"

CHAT_INPUT_STATE chat_input_state = {CHAT_CHANNEL_NONE, 0, -1, {}, 0};

void chat_input_state_reset() { chat_input_state = CHAT_INPUT_STATE{CHAT_CHANNEL_NONE, 0, -1, {}, 0}; }

static const ModuleReset k_reset("chat input state", chat_input_state_reset);

#include "client/state/chat_input_state.h"
#include "core/reset/module_resets.h"

CHAT_INPUT_STATE chat_input_state = {-1, 0};

namespace {
void chat_input_state_reset_all() { chat_input_state = {-1, 0}; }
const ModuleReset k_reset("chat input state", chat_input_state_reset_all);
}  // namespace

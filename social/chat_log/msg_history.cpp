#include "social/chat_log/msg_history.h"

#include <cstring>

#include "core/reset/module_resets.h"

MSG_HISTORY msg_history = {};

void msg_history_reset() { std::memset(&msg_history, 0, sizeof msg_history); }

static const ModuleReset k_reset("message history", msg_history_reset);

#include "social/chat_log/chat_log.h"

#include <cstring>

#include "core/reset/module_resets.h"

CHAT_LOG chat_log = {};
CHAT_CHANNEL_VIEW chat_channel_view = {};

void chat_log_reset() {
  std::memset(&chat_log, 0, sizeof chat_log);
  chat_channel_view = CHAT_CHANNEL_VIEW{};
}

static const ModuleReset k_reset("chat log", chat_log_reset);

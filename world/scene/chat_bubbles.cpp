#include "world/scene/chat_bubbles.h"

#include <cstring>

#include "core/reset/module_resets.h"

CHAT_BUBBLE chat_bubbles[CHAT_BUBBLES] = {};

void chat_bubbles_reset() { std::memset(chat_bubbles, 0, sizeof chat_bubbles); }

static const ModuleReset k_reset("chat bubbles", chat_bubbles_reset);

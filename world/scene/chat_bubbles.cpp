#include "world/scene/chat_bubbles.h"

#include <cstring>

#include "core/reset/module_resets.h"

CHAT_BUBBLE chat_bubbles[CHAT_BUBBLES] = {};
int32_t chat_bubble_order[CHAT_BUBBLES] = {};

int32_t chat_bubbles_clear() {
  for (CHAT_BUBBLE& b : chat_bubbles) b.in_use = 0;
  for (int32_t& entry : chat_bubble_order) entry = -1;
  return -1;
}

void chat_bubbles_reset() {
  std::memset(chat_bubbles, 0, sizeof chat_bubbles);
  chat_bubbles_clear();
}

static const ModuleReset k_reset("chat bubbles", chat_bubbles_reset);

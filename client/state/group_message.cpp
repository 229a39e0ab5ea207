#include "client/state/group_message.h"

#include <cstring>

#include "client/ui/message_box.h"
#include "core/reset/module_resets.h"

uint8_t group_message_flags[GROUP_MESSAGE_CANDIDATES] = {};

int32_t check_group_message_limit() {
  int32_t chosen = 0;
  for (uint8_t f : group_message_flags)
    if (f) ++chosen;
  if (chosen <= GROUP_MESSAGE_MAX_RECIPIENTS) return 0;
  show_system_message("The number of people to send message exceeds the upper limit!", 0);
  return -2;
}

static const ModuleReset k_reset("group message flags",
                                 [] { std::memset(group_message_flags, 0, sizeof group_message_flags); });

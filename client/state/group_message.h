// Who a group message goes to: one flag per candidate the group-message window lists.
#pragma once
#include <cstdint>

constexpr int GROUP_MESSAGE_CANDIDATES = 100;
constexpr int GROUP_MESSAGE_MAX_RECIPIENTS = 8;

// Non-zero: that candidate is chosen.
extern uint8_t group_message_flags[GROUP_MESSAGE_CANDIDATES];

// 0 while at most 8 recipients are chosen; else the pop-up that says so, and -2.
int32_t check_group_message_limit();

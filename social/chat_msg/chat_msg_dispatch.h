// The chat link's receive dispatcher, also fed by the replay.
#pragma once
#include <cstdint>

// (message id, argument, payload, length, do_not_record): with do_not_record set the message is
// neither recorded nor mirrored.
int chat_msg_dispatch(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record);

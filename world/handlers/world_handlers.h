// The world-message handlers of the map scene and the battle that the client's dispatcher calls.
#pragma once
#include <cstdint>

#include "client/net_msg/payload.h"

// Removes a title id from the title records and clears the player's shown title when it was that one.
void char_title_remove(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xe0007

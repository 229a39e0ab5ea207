#include "client/game/session_state.h"

#include "client/ui/message_box.h"

void session_state_reset() { message_slots_clear(); }

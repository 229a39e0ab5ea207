#include "client/game/session_state.h"

#include "client/state/party_tables.h"
#include "client/state/pet_table.h"
#include "client/ui/message_box.h"

void session_state_reset() {
  message_slots_clear();
  party_members_reset();
  party_applicants_reset();
  pet_state_reset();
}

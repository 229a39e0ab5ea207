// The per-session state tables of the whole client.
#pragma once

// Every session table back to its empty state through its owner's reset: the player record, the
// pets, the party tables, both quest tables, the message slots, the private-message history, the
// chat log, the battle units and the guild block. Run by the account input, the login retry, the
// record reader and each game entry.
void session_state_reset();

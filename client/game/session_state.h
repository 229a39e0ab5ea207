// The per-session state tables of the whole client.
#pragma once

// Every session table back to its empty state: the message slots, the party tables and the pets.
void session_state_reset();

// The per-session state tables of the whole client.
#pragma once

// Every session table back to its empty state (the message slots so far).
void session_state_reset();

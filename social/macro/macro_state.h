// The macro host's session state: what message 0x130006 keeps for the macro functions, the
// session start of the macro system and the server's macro commands.
#pragma once
#include <cstdint>

struct MACRO_STATE_BLOCK {
  uint32_t words[2];
  uint8_t valid;
};
extern MACRO_STATE_BLOCK macro_state_block;

// Starts the macro system's session (each game entry).
void macro_state_init();
// Runs a macro command the server sent (message 0x40004) with its result word and payload.
void macro_run_server_command(int32_t result, const uint8_t* payload, uint32_t length);

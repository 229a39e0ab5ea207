// What the chat input keeps between lines: the addressee of private messages and the word the
// chat line carries with it.
#pragma once
#include <cstdint>

struct CHAT_INPUT_STATE {
  int32_t target_id;    // the private-message addressee, -1 none
  uint32_t attachment;  // the chat line's attachment word
};

extern CHAT_INPUT_STATE chat_input_state;
// The chat input back to its start: no addressee, no attachment.
void chat_input_state_reset();

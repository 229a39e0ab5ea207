// What the chat input keeps between lines: the channel new lines go to, when the last line was
// sent (one time for every channel), the private-message addressee and the word the chat line
// box carries with its next line.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t CHAT_TARGET_NAME_SIZE = 21;
// 0 Local .. 5 World, 9 GM; 6, 7 and 8 send nothing.
constexpr int32_t CHAT_CHANNEL_NONE = 8;

struct CHAT_INPUT_STATE {
  int32_t channel;
  uint32_t last_sent_time;  // frame time (ms) of the last line sent
  int32_t target_id;        // the private-message addressee, -1 none
  char target_name[CHAT_TARGET_NAME_SIZE];
  uint32_t attachment;      // the chat line's attachment word, 0 none
};

extern CHAT_INPUT_STATE chat_input_state;

// Channel 8, no addressee, nothing sent yet, no attachment (each time the chat input opens anew).
void chat_input_state_reset();

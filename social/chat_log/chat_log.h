// The chat log: a ring of 1024 lines, and the view of the chat panel over it.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int CHAT_LOG_LINES = 1024;
constexpr size_t CHAT_LINE_NAME_SIZE = 20;
constexpr size_t CHAT_LINE_TEXT_SIZE = 160;

struct CHAT_LINE {
  int32_t channel;  // 6 System, 7 Message
  uint32_t sender_id;
  char sender[CHAT_LINE_NAME_SIZE];
  char text[CHAT_LINE_TEXT_SIZE];
  int32_t extra;
};

struct CHAT_LOG {
  CHAT_LINE lines[CHAT_LOG_LINES];
  int32_t head;   // the next line written
  int32_t count;  // lines held, at most CHAT_LOG_LINES
};

// What the chat panel shows: the channel it filters on and how far it is scrolled back.
struct CHAT_CHANNEL_VIEW {
  int32_t channel;
  int32_t scroll;
  int32_t shown;
};

extern CHAT_LOG chat_log;
extern CHAT_CHANNEL_VIEW chat_channel_view;

// The ring empty and the view at its start.
void chat_log_reset();
// Appends a line at head (the oldest goes when the ring is full) and writes it to the debugger
// output as "chat <channel>: <text>". name may be null (stored empty); texts are cut to their
// fields on a character boundary. The channel filters come with the chat panel.
void chat_log_add(int32_t channel, uint32_t sender_id, const char* name, const char* text, int32_t extra);

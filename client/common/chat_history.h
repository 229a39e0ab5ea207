// The chat input history.
#pragma once
#include <cstddef>

constexpr int CHAT_HISTORY_LINES = 16;
constexpr size_t CHAT_HISTORY_LINE_SIZE = 160;
constexpr int CHAT_HISTORY_KEY_UP = 'H';
constexpr int CHAT_HISTORY_KEY_DOWN = 'P';
void chat_line_history_add(const char* text);
// out holds CHAT_HISTORY_LINE_SIZE bytes; key 'H' older line, 'P' newer line.
void chat_line_history_browse(char* out, int key);
// Browsing starts again from the newest line (after each sent line).
void chat_line_history_browse_to_newest();
void chat_line_history_reset();  // empty history, both indexes 0

// The system notice list the game screen draws: ten entries, newest first.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int NOTICE_LINE_COUNT = 10;
constexpr size_t NOTICE_LINE_SIZE = 48;

struct NOTICE_LINES {
  char lines[NOTICE_LINE_COUNT][NOTICE_LINE_SIZE] = {};
  int32_t count = 0;  // at most NOTICE_LINE_COUNT
};

NOTICE_LINES& notice_lines();
// Empties every entry and the count (start-up and the end of the game main task).
void notice_lines_clear();

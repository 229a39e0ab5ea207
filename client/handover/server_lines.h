// The server lines the updater hands over: 100 rows and a count, written by the pipe reader and
// read by the server-select screens. Rows and count change together under one lock, which every
// reader takes too, so nobody sees a half-written record.
#pragma once
#include <cstdint>
#include <mutex>

#include "plat/handover.h"

using plat::SERVER_LINE_RECORD;

constexpr int SERVER_LINE_ROWS = 100;

struct SERVER_LINE_TABLE {
  SERVER_LINE_RECORD rows[SERVER_LINE_ROWS];
  int32_t count;
};

// Guards server_lines.
std::mutex& server_lines_mutex();
extern SERVER_LINE_TABLE server_lines;

// The count, under the lock.
int32_t server_line_count();
// A copy of the whole table, under the lock.
SERVER_LINE_TABLE server_lines_snapshot();
// Stores one complete record at row and sets the count, together.
void server_lines_store(int row, const SERVER_LINE_RECORD& record, int32_t count);
// Count 0 (process start); the rows stay as they are.
void server_lines_clear();

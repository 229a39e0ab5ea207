#include "client/handover/server_lines.h"

#include "core/reset/module_resets.h"

SERVER_LINE_TABLE server_lines = {};

std::mutex& server_lines_mutex() {
  static std::mutex m;
  return m;
}

int32_t server_line_count() {
  std::lock_guard lock(server_lines_mutex());
  return server_lines.count;
}

SERVER_LINE_TABLE server_lines_snapshot() {
  std::lock_guard lock(server_lines_mutex());
  return server_lines;
}

void server_lines_store(int row, const SERVER_LINE_RECORD& record, int32_t count) {
  if (row < 0 || row >= SERVER_LINE_ROWS) return;
  std::lock_guard lock(server_lines_mutex());
  server_lines.rows[row] = record;
  server_lines.count = count;
}

void server_lines_clear() {
  std::lock_guard lock(server_lines_mutex());
  server_lines.count = 0;
}

static const ModuleReset k_reset("server lines", [] {
  std::lock_guard lock(server_lines_mutex());
  server_lines = SERVER_LINE_TABLE{};
});

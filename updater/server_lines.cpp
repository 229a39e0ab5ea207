#include "updater/server_lines.h"

#include "core/reset/module_resets.h"

namespace updater {

namespace {

ServerLineTable g_lines;

void lines_reset() { g_lines = ServerLineTable{}; }
const ModuleReset k_reset("UPDATER_SERVER_LINES", lines_reset);

}  // namespace

ServerLineTable& serverLines() { return g_lines; }

std::span<const uint8_t> serverLineBlock(const ServerLineTable& table) {
  const int32_t n = table.count < 0 ? 0 : table.count > SERVER_LINE_MAX ? SERVER_LINE_MAX : table.count;
  // The records are contiguous: an array of byte arrays has no padding.
  static_assert(sizeof(table.records) == SERVER_LINE_MAX * plat::SERVER_LINE_RECORD_SIZE);
  return {table.records[0].data(), static_cast<size_t>(n) * plat::SERVER_LINE_RECORD_SIZE};
}

}  // namespace updater

// What WinMain did before the engine main: the hand-over from the updater.
#include "client/handover/pipe_reader.h"
#include "client/handover/server_lines.h"
#include "client/startup/client_hooks.h"

namespace {
std::string command_line_text;
}  // namespace

void client_process_start(const std::string& command_line) {
  command_line_text = command_line;
  server_lines_clear();
  handover_start();
}

const std::string& client_command_line() { return command_line_text; }

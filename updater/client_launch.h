// Starting the client with the server lines in its hand-over pipe.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace updater {

struct ClientLaunch {
  std::optional<int> pid;  // the client's process id when it started
  std::string error;       // why it did not
};

// The whole block goes into the pipe before the client starts (at most 8,400 bytes fit its
// buffer); `program` (a host path) gets only the read end, as descriptor 3, no arguments, our
// environment and working folder; both our ends are closed after.
ClientLaunch LaunchClient(const std::string& program, std::span<const uint8_t> block);
// "main.exe" beside the running program: our `main`.
std::string ClientProgram();

}  // namespace updater

// The server line table: what the gateway sent, passed to the client unchanged through the pipe.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "plat/handover.h"

namespace updater {

constexpr int SERVER_LINE_MAX = 100;

// Records are kept as the bytes received (padding included), never re-encoded.
using ServerLineBytes = std::array<uint8_t, plat::SERVER_LINE_RECORD_SIZE>;

struct ServerLineTable {
  std::array<ServerLineBytes, SERVER_LINE_MAX> records{};
  int32_t count = 0;  // 0..SERVER_LINE_MAX
};

// The one table of the program. Written by the gateway worker before it posts its status; read by
// the start road only after that post.
ServerLineTable& serverLines();

// The pipe block: the first `count` records back to back (count x 84 bytes).
std::span<const uint8_t> serverLineBlock(const ServerLineTable& table);

}  // namespace updater

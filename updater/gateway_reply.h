// The gateway's reply: the server lines, the FTP server and directory of the update store, and a
// small archive for the program folder. The body is what follows the reply's own length field.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "updater/server_lines.h"

namespace updater {

// Results of the gateway query: 0, or the check that failed.
constexpr int DOOR_OK = 0;
constexpr int DOOR_NO_SOCKET = 2187;
constexpr int DOOR_NO_CONNECTION = 2229;      // after every connect attempt
constexpr int DOOR_CLOSED_BEFORE_LENGTH = 2258;
constexpr int DOOR_BAD_LENGTH = 2270;         // none received, or outside the accepted range
constexpr int DOOR_CLOSED_IN_REPLY = 2291;
constexpr int DOOR_REPLY_INCOMPLETE = 2308;
constexpr int DOOR_BAD_LINES = 2319;
constexpr int DOOR_BAD_FTP = 2325;
constexpr int DOOR_BAD_ARCHIVE = 2331;        // also: info.zip cannot be created

// The reply's length field counts itself.
constexpr uint32_t GATEWAY_REPLY_MIN = 5;
constexpr uint32_t GATEWAY_REPLY_MAX = 92160;
constexpr int32_t GATEWAY_TEXT_MAX = 1000;
constexpr int DOOR_CONNECT_ATTEMPTS = 10;
constexpr int DOOR_RECEIVE_ATTEMPTS = 500;

// What a body yielded, block by block: a block is present only when it and every block before it
// were sound.
struct GatewayBody {
  std::vector<ServerLineBytes> lines;  // 1..SERVER_LINE_MAX records once the line block is good
  bool linesOk = false;
  std::optional<std::string> ftpServer;
  std::optional<std::string> ftpDirectory;
  std::span<const uint8_t> archive;  // inside the body, once the archive block is good
  bool archiveOk = false;
};

// Reads the blocks in order: 0, or DOOR_BAD_LINES, DOOR_BAD_FTP or DOOR_BAD_ARCHIVE for the first
// block that is missing, out of range or does not fit (sizes checked in 64 bits).
int parseGatewayBody(std::span<const uint8_t> body, GatewayBody& out);

}  // namespace updater

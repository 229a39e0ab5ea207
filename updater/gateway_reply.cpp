// The gateway reply's body, block by block, through the bounds-checked reader.
#include "updater/gateway_reply.h"

#include <algorithm>

#include "plat/bytes.h"

namespace updater {

namespace {

// A length-prefixed text of 1..GATEWAY_TEXT_MAX bytes; nullopt when it is out of range or does
// not fit in what remains.
std::optional<std::string> text(plat::ByteReader& r) {
  if (r.remaining() < 4) return std::nullopt;
  const int32_t n = r.i32("text length");
  if (n < 1 || n > GATEWAY_TEXT_MAX || static_cast<uint64_t>(n) > r.remaining()) return std::nullopt;
  std::span<const uint8_t> b = r.bytes(static_cast<size_t>(n), "text");
  return std::string(b.begin(), b.end());
}

}  // namespace

int parseGatewayBody(std::span<const uint8_t> body, GatewayBody& out) {
  out = GatewayBody{};
  plat::ByteReader r(body);

  if (r.remaining() < 4) return DOOR_BAD_LINES;
  const int32_t n = r.i32("line count");
  // The table and the client's reader hold SERVER_LINE_MAX records.
  if (n < 1 || n > SERVER_LINE_MAX) return DOOR_BAD_LINES;
  const uint64_t lineBytes = static_cast<uint64_t>(n) * plat::SERVER_LINE_RECORD_SIZE;
  if (lineBytes > r.remaining()) return DOOR_BAD_LINES;
  out.lines.resize(static_cast<size_t>(n));
  for (ServerLineBytes& rec : out.lines) r.copy(rec.data(), rec.size(), "server line");
  out.linesOk = true;

  out.ftpServer = text(r);
  if (!out.ftpServer) return DOOR_BAD_FTP;
  out.ftpDirectory = text(r);
  if (!out.ftpDirectory) return DOOR_BAD_FTP;

  if (r.remaining() < 4) return DOOR_BAD_ARCHIVE;
  const int32_t z = r.i32("archive length");
  if (z < 1 || static_cast<uint64_t>(z) != r.remaining()) return DOOR_BAD_ARCHIVE;
  out.archive = r.bytes(static_cast<size_t>(z), "archive");
  out.archiveOk = true;
  return DOOR_OK;
}

}  // namespace updater

// The gateway reply's body: any bytes give a result code and never a read outside the body; a
// body taken whole holds 1 to 100 lines and an archive that ends exactly at the body's end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "updater/gateway_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> body(data, size);
  updater::GatewayBody out;
  const int code = updater::parseGatewayBody(body, out);
  if (code != updater::DOOR_OK && code != updater::DOOR_BAD_LINES && code != updater::DOOR_BAD_FTP &&
      code != updater::DOOR_BAD_ARCHIVE)
    std::abort();
  if (out.linesOk != (code != updater::DOOR_BAD_LINES)) std::abort();
  if (out.linesOk && (out.lines.empty() || out.lines.size() > updater::SERVER_LINE_MAX)) std::abort();
  if (out.ftpDirectory && !out.ftpServer) std::abort();
  if (out.ftpServer && (out.ftpServer->empty() || out.ftpServer->size() > updater::GATEWAY_TEXT_MAX)) std::abort();
  if (code == updater::DOOR_OK) {
    if (!out.archiveOk || out.archive.empty() || out.archive.data() + out.archive.size() != data + size) std::abort();
  } else if (out.archiveOk) {
    std::abort();
  }
  return 0;
}

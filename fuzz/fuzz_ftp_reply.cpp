// FTP replies: the input's first byte sets the size of each receive, the rest is what the server
// sends. The reader's buffer takes it receive by receive as the reader does; a complete reply
// holds its line end and no NUL, and the "retr" size read from it (or from the raw input) is a
// byte count of 0 to 2^31 - 1 or one of the size step's codes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "updater/ftp_client.h"

namespace {

void checkSize(std::string_view text) {
  int64_t size = -1;
  const int r = updater::ParseRetrSize(text, size);
  if (r == updater::FTP_OK) {
    if (size < 0 || size > INT32_MAX) std::abort();
  } else if (r != updater::FTP_RETR_NO_LINE_END && r != updater::FTP_RETR_NO_PAREN && r != updater::FTP_RETR_NO_BLANK) {
    std::abort();
  } else if (size != -1) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t chunk = 1 + data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  checkSize(rest);

  updater::FtpReplyBuffer buffer;
  for (int round = 0; round < updater::FTP_REPLY_ROUNDS && !rest.empty(); ++round) {
    const size_t room = buffer.room();
    if (room == 0) break;
    if (room >= updater::FTP_REPLY_BUFFER) std::abort();
    const size_t n = std::min({chunk, room, rest.size()});
    std::memcpy(buffer.tail(), rest.data(), n);
    buffer.added(n);
    rest.remove_prefix(n);
    if (buffer.complete()) break;
  }
  const updater::FtpReply reply = buffer.reply();
  // A reply "-1 ..." reads as -1 too, like a failed read: only completeness tells them apart.
  if (!buffer.complete()) {
    if (reply.code != -1 || !reply.text.empty()) std::abort();
    return 0;
  }
  if (reply.text.find("\r\n") == std::string::npos || reply.text.find('\0') != std::string::npos) std::abort();
  if (reply.text.size() >= updater::FTP_REPLY_BUFFER) std::abort();
  checkSize(reply.text);
  return 0;
}

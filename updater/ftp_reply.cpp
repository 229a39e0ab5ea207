#include "updater/ftp_reply.h"

#include <cstring>

#include "plat/platform.h"
#include "plat/tier0.h"
#include "updater/ftp_client.h"

namespace updater {

namespace net = plat::net;

size_t FtpReplyBuffer::room() const {
  const size_t left = FTP_REPLY_BUFFER - 1 - length_;
  return left < FTP_REPLY_MIN_ROOM ? 0 : left;
}

std::string_view FtpReplyBuffer::text() const { return {buffer_, strnlen(buffer_, length_)}; }

bool FtpReplyBuffer::complete() const { return text().find("\r\n") != std::string_view::npos; }

FtpReply FtpReplyBuffer::reply() const {
  FtpReply r;
  if (!complete()) return r;
  r.code = plat::vstd::Q_atoi(buffer_);
  r.text.assign(text());
  return r;
}

FtpReply ReadFtpReply(net::Socket& control, const Timing& timing) {
  FtpReplyBuffer buffer;
  for (int round = 0; round < FTP_REPLY_ROUNDS; ++round) {
    const size_t room = buffer.room();
    if (room == 0) break;
    size_t got = 0;
    const net::Io r = net::recv(control, buffer.tail(), room, got);
    if (r == net::Io::WouldBlock) {
      plat::get().clock().sleepMs(timing.ftpReplyWaitMs);
      continue;
    }
    if (r != net::Io::Ok) break;
    buffer.added(got);
    if (buffer.complete()) break;
  }
  return buffer.reply();
}

int ParseRetrSize(std::string_view reply, int64_t& size) {
  const size_t lineEnd = reply.find("\r\n");
  if (lineEnd == std::string_view::npos) return FTP_RETR_NO_LINE_END;
  const std::string_view text = reply.substr(0, lineEnd == 0 ? 0 : lineEnd - 1);
  const size_t paren = text.find('(');
  if (paren == std::string_view::npos) return FTP_RETR_NO_PAREN;
  const size_t blank = text.find(' ', paren + 1);
  if (blank == std::string_view::npos) return FTP_RETR_NO_BLANK;
  // atoi's reading of the text between them; a byte count that no file of ours can have is no size.
  std::string_view digits = text.substr(paren + 1, blank - paren - 1);
  while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return FTP_RETR_NO_BLANK;
  }
  if (negative && value != 0) return FTP_RETR_NO_BLANK;
  size = value;
  return FTP_OK;
}

}  // namespace updater

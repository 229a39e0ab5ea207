// The FTP client's reading of replies: the reply reader over the control socket and the size
// that a "retr" reply announces.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plat/sockets.h"
#include "updater/timing.h"

namespace updater {

constexpr size_t FTP_REPLY_BUFFER = 2048;
constexpr int FTP_REPLY_ROUNDS = 10;
constexpr size_t FTP_REPLY_MIN_ROOM = 47;  // a receive with less room left is not tried

// A reply as the reader saw it: code -1 when the read failed.
struct FtpReply {
  int code = -1;
  std::string text;  // the buffer up to its first NUL: the first line, and whatever came with it
};

// The reader's buffer: FTP_REPLY_BUFFER bytes, cleared, of which the receives may fill all but
// the last; read as text up to its first NUL.
class FtpReplyBuffer {
 public:
  // What the next receive may add; 0 once less than FTP_REPLY_MIN_ROOM is left (the read fails).
  size_t room() const;
  char* tail() { return buffer_ + length_; }
  void added(size_t n) { length_ += n; }
  // Complete once the text holds "\r\n".
  bool complete() const;
  // Its code (the number at its start, converted like atoi) and text; code -1 when incomplete.
  FtpReply reply() const;

 private:
  std::string_view text() const;

  char buffer_[FTP_REPLY_BUFFER] = {};
  size_t length_ = 0;
};

// Reads one reply from a non-blocking control socket in at most FTP_REPLY_ROUNDS receives: one
// that would block waits timing.ftpReplyWaitMs and counts. The connection closing, another error,
// no line end within the rounds, or too little room: code -1.
FtpReply ReadFtpReply(plat::net::Socket& control, const Timing& timing);

// The size that a "retr" reply announces: the text up to its first "\r\n" less the character
// before it, then the number after its first "(", which a blank must follow. 0 with `size` set,
// or 603 (no line end), 608 (no "("), 613 (no blank after it, or a size that is negative or above
// 2^31 - 1).
int ParseRetrSize(std::string_view reply, int64_t& size);

}  // namespace updater
